// The two data files in the start-up directory: the key file "l.z" (seven key
// bytes, seven two-character lengths and the hotkey switch, 23 bytes) and the
// path file "z.l" (the seven paths back to back).
#pragma once

enum {
    KEY_FILE_SIZE = 23,
    LENGTH_FIELDS_OFFSET = 7,
    SWITCH_FIELD_OFFSET = 21,
    LONGEST_STORABLE_PATH = 99,  // a length field holds two digits
    STARTUP_PATH_SIZE = 1024,
};

// Where the data files and the manual live: the directory that was current at
// start-up, so a file dialog that changes the current directory moves nothing.
struct StartupPaths {
    char keyFile[STARTUP_PATH_SIZE];
    char pathFile[STARTUP_PATH_SIZE];
    char manual[STARTUP_PATH_SIZE];
};

extern StartupPaths startupPaths;

void CaptureStartupPaths();

// Reads both data files into the slot table, creating missing files empty.
// Returns true when it created the key file: the first start in this folder.
bool LoadSettings();

// Writes the slot table to both data files, all or nothing.
void SaveSettings();

// Whether the key file holds all its bytes and its lengths add up to the size
// of the path file: whether the two belong together.
bool KeyFileFitsPathFile(const char *keyFile);

// The one failure the program reports: a data or manual file it cannot write.
extern const char FILE_FAILURE_NOTICE[];
