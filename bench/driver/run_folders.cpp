#include "bench/driver/run_folders.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "bench/bench_keys.h"

char runFoldersProblem[256];

enum { SLOT_COUNT = 7, LONGEST_PATH = 99 };  // a length field holds two digits

static const char MANUAL_NAME[] = "生命手册.txt";

static bool WriteWholeFile(const char *path, const void *bytes, size_t size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        snprintf(runFoldersProblem, sizeof runFoldersProblem, "cannot write %s (error %lu)", path, GetLastError());
        return false;
    }
    DWORD written = 0;
    BOOL ok = size == 0 || WriteFile(file, bytes, (DWORD)size, &written, nullptr);
    CloseHandle(file);
    if (!ok || written != size) {
        snprintf(runFoldersProblem, sizeof runFoldersProblem, "short write to %s", path);
        return false;
    }
    return true;
}

static bool MakeFolder(const char *path)
{
    if (CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    snprintf(runFoldersProblem, sizeof runFoldersProblem, "cannot make the folder %s (error %lu)", path,
             GetLastError());
    return false;
}

struct BoundSlot {
    char key;
    char path[LONGEST_PATH + 1];
};

// The key file: seven key bytes, seven two-character lengths and the
// two-character hotkey switch; the path file: the seven paths back to back.
static bool WriteJumpdeckFiles(const char *folder, const BoundSlot (&slots)[SLOT_COUNT], int hotkeysOn)
{
    char keyFile[23 + 1];
    char *field = keyFile;
    for (const BoundSlot &slot : slots)
        *field++ = slot.key;
    for (const BoundSlot &slot : slots)
        field += snprintf(field, 3, "%2d", (int)strlen(slot.path));
    snprintf(field, 3, "%2d", hotkeysOn);

    char pathFile[SLOT_COUNT * LONGEST_PATH];
    size_t pathBytes = 0;
    for (const BoundSlot &slot : slots) {
        memcpy(pathFile + pathBytes, slot.path, strlen(slot.path));
        pathBytes += strlen(slot.path);
    }

    char path[300];
    snprintf(path, sizeof path, "%s\\l.z", folder);
    if (!WriteWholeFile(path, keyFile, 23))
        return false;
    snprintf(path, sizeof path, "%s\\z.l", folder);
    if (!WriteWholeFile(path, pathFile, pathBytes))
        return false;
    snprintf(path, sizeof path, "%s\\%s", folder, MANUAL_NAME);
    return WriteWholeFile(path, "", 0);
}

static bool SetSlot(BoundSlot *slot, char key, const char *path)
{
    slot->key = key;
    if (strlen(path) > LONGEST_PATH) {
        snprintf(runFoldersProblem, sizeof runFoldersProblem, "the target %s is longer than a key file holds",
                 path);
        return false;
    }
    strcpy(slot->path, path);
    return true;
}

bool PrepareRunFolders(RunFolders *folders, const char *work, const char *markerSource)
{
    *folders = RunFolders{};
    if (strchr(work, ' ') != nullptr || strlen(work) > 60) {
        snprintf(runFoldersProblem, sizeof runFoldersProblem,
                 "the work folder must be short and without spaces: %s", work);
        return false;
    }
    strcpy(folders->work, work);
    snprintf(folders->start, sizeof folders->start, "%s\\start", work);
    snprintf(folders->key, sizeof folders->key, "%s\\key", work);
    char markerFolder[260];
    snprintf(markerFolder, sizeof markerFolder, "%s\\marker", work);
    snprintf(folders->marker, sizeof folders->marker, "%s\\marker.exe", markerFolder);
    snprintf(folders->markerStamp, sizeof folders->markerStamp, "%s\\marker.qpc", markerFolder);
    if (!MakeFolder(work) || !MakeFolder(folders->start) || !MakeFolder(folders->key) || !MakeFolder(markerFolder))
        return false;
    if (!CopyFileA(markerSource, folders->marker, FALSE)) {
        snprintf(runFoldersProblem, sizeof runFoldersProblem, "cannot copy %s (error %lu)", markerSource,
                 GetLastError());
        return false;
    }

    // Six bound slots of the kinds a user binds: programs, a document, folders.
    // Slot 3 is reserved and stays empty.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    char notes[260], notepad[260], winIni[260], system[260];
    snprintf(notes, sizeof notes, "%s\\notes.txt", work);
    snprintf(notepad, sizeof notepad, "%s\\notepad.exe", windows);
    snprintf(winIni, sizeof winIni, "%s\\win.ini", windows);
    snprintf(system, sizeof system, "%s\\system32", windows);
    if (!WriteWholeFile(notes, "notes\r\n", 7))
        return false;
    BoundSlot slots[SLOT_COUNT] = {};
    if (!SetSlot(&slots[0], BENCH_LAUNCH_KEY, folders->marker) || !SetSlot(&slots[1], 'w', notes) ||
        !SetSlot(&slots[2], 'e', work) || !SetSlot(&slots[4], 'r', notepad) || !SetSlot(&slots[5], 't', winIni) ||
        !SetSlot(&slots[6], 'y', system))
        return false;
    return WriteJumpdeckFiles(folders->start, slots, 0) && WriteJumpdeckFiles(folders->key, slots, 1);
}
