#include "store/settings_files.h"

#include <string.h>

#include "common/platform.h"
#include "common/text.h"
#include "store/busy_files.h"
#include "store/manual.h"
#include "store/slot_table.h"

StartupPaths startupPaths;

const char FILE_FAILURE_NOTICE[] = "what the fuke";

static const char KEY_FILE_NAME[] = "l.z";
static const char PATH_FILE_NAME[] = "z.l";

// A save writes both files beside the real ones first and then moves them in;
// these suffixes name the new files and the path file that was moved aside.
static const char NEW_SUFFIX[] = ".new";
static const char OLD_SUFFIX[] = ".old";

static void JoinPath(char *buffer, size_t size, const char *directory, const char *name)
{
    const char separator[2] = {PATH_SEPARATOR, 0};
    buffer[0] = 0;
    AppendText(buffer, size, directory);
    if (directory[0] != 0)
        AppendText(buffer, size, separator);
    AppendText(buffer, size, name);
}

void CaptureStartupPaths()
{
    char directory[STARTUP_PATH_SIZE - 32];
    if (ReadCurrentDirectory(directory, sizeof directory) == 0)
        directory[0] = 0;  // the bare names still resolve to the current directory
    JoinPath(startupPaths.keyFile, sizeof startupPaths.keyFile, directory, KEY_FILE_NAME);
    JoinPath(startupPaths.pathFile, sizeof startupPaths.pathFile, directory, PATH_FILE_NAME);
    JoinPath(startupPaths.manual, sizeof startupPaths.manual, directory, MANUAL_FILE_NAME);
}

static bool FileExists(const char *path)
{
    Stream *stream = OpenWhenFree(path, "rb");
    if (stream == nullptr)
        return false;
    CloseStream(stream);
    return true;
}

// Opened for appending, a missing file is made empty and a present one keeps
// its bytes.
static bool CreateEmpty(const char *path)
{
    Stream *stream = OpenWhenFree(path, "ab");
    return stream != nullptr && CloseStream(stream);
}

// Creates the file empty unless it can be read; reports a failure. Returns
// true when it made the file.
static bool CreateIfMissing(const char *path)
{
    if (FileExists(path))
        return false;
    if (CreateEmpty(path))
        return true;
    ShowNotice(FILE_FAILURE_NOTICE, false);
    return false;
}

// A two-character decimal field: leading white space, an optional sign, then
// digits up to the first non-digit; no digits read as 0.
static int ParseField(const unsigned char field[2])
{
    int i = 0;
    while (i < 2 && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r')))
        i++;
    int sign = 1;
    if (i < 2 && (field[i] == '+' || field[i] == '-')) {
        if (field[i] == '-')
            sign = -1;
        i++;
    }
    int value = 0;
    for (; i < 2 && field[i] >= '0' && field[i] <= '9'; i++)
        value = value * 10 + (field[i] - '0');
    return sign * value;
}

static void ParseKeyFile(const unsigned char bytes[KEY_FILE_SIZE])
{
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        slotTable.slots[slot].key = (char)bytes[slot];
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        int length = ParseField(bytes + LENGTH_FIELDS_OFFSET + 2 * slot);
        slotTable.slots[slot].length = length < 0 ? 0 : length;
    }
    slotTable.hotkeysRegistered = ParseField(bytes + SWITCH_FIELD_OFFSET);
}

// Reads at most KEY_FILE_SIZE bytes; a short file reads its missing bytes as 0.
// Returns false for an empty file.
static bool ReadKeyFile(Stream *stream, unsigned char bytes[KEY_FILE_SIZE])
{
    memset(bytes, 0, KEY_FILE_SIZE);
    if (StreamSize(stream) <= 0)
        return false;
    ReadStream(stream, bytes, KEY_FILE_SIZE);
    return true;
}

static void ReadPaths(Stream *stream)
{
    long offset = 0;
    for (Slot &slot : slotTable.slots) {
        char path[PATH_SIZE] = {};
        if (slot.length > 0 && SeekStream(stream, offset))
            ReadStream(stream, path, (size_t)slot.length);
        path[PATH_SIZE - 1] = 0;
        memcpy(slot.path, path, PATH_SIZE);
        offset += slot.length;
    }
}

static long SumOfLengths(const unsigned char keyBytes[KEY_FILE_SIZE])
{
    long sum = 0;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        int length = ParseField(keyBytes + LENGTH_FIELDS_OFFSET + 2 * slot);
        sum += length < 0 ? 0 : length;
    }
    return sum;
}

struct SaveFileNames {
    char newKeys[STARTUP_PATH_SIZE + 8];
    char newPaths[STARTUP_PATH_SIZE + 8];
    char oldPaths[STARTUP_PATH_SIZE + 8];
};

static void NameSaveFiles(SaveFileNames *names)
{
    names->newKeys[0] = names->newPaths[0] = names->oldPaths[0] = 0;
    AppendText(names->newKeys, sizeof names->newKeys, startupPaths.keyFile);
    AppendText(names->newKeys, sizeof names->newKeys, NEW_SUFFIX);
    AppendText(names->newPaths, sizeof names->newPaths, startupPaths.pathFile);
    AppendText(names->newPaths, sizeof names->newPaths, NEW_SUFFIX);
    AppendText(names->oldPaths, sizeof names->oldPaths, startupPaths.pathFile);
    AppendText(names->oldPaths, sizeof names->oldPaths, OLD_SUFFIX);
}

// Whether the key file holds all its bytes and its lengths add up to the size
// of the path file: whether the two belong together.
static bool FitsPathFile(const char *keyFile)
{
    Stream *keys = OpenWhenFree(keyFile, "rb");
    if (keys == nullptr)
        return false;
    unsigned char keyBytes[KEY_FILE_SIZE];
    bool complete = StreamSize(keys) == KEY_FILE_SIZE && ReadStream(keys, keyBytes, KEY_FILE_SIZE) == KEY_FILE_SIZE;
    CloseStream(keys);
    long pathFileSize = -1;
    if (Stream *paths = OpenWhenFree(startupPaths.pathFile, "rb")) {
        pathFileSize = StreamSize(paths);
        CloseStream(paths);
    }
    return complete && SumOfLengths(keyBytes) == pathFileSize;
}

// A save moves the old path file aside to "z.l.old" (an empty one, made
// first, when there is none), moves the new path file in, then the new key
// file. So the new path file is in, waiting for its key file, exactly while
// the old path file is aside and no new path file waits. If the program
// stopped between the steps, finish or undo the save here, so that the pair
// on disk always belongs together:
// - the new path file is in and the new key file, waiting, fits it: the save
//   stopped between its moves; move the key file in;
// - any other new file waiting is undone, the old path file put back. A new
//   key file beside a path file that was never moved aside is a failed save's
//   leftover, which could not be deleted: however well its lengths fit, the
//   path file is not the one it was written with.
// The old path file is deleted only once the pair is whole again.
static void FinishInterruptedSave()
{
    SaveFileNames names;
    NameSaveFiles(&names);
    bool aside = FileExists(names.oldPaths), pathsIn = !FileExists(names.newPaths);
    bool keysWaiting = FileExists(names.newKeys);
    bool finished = pathsIn && keysWaiting && aside && FitsPathFile(names.newKeys) &&
                    ReplaceWhenFree(names.newKeys, startupPaths.keyFile);
    bool undo = !pathsIn || (keysWaiting && !finished);
    if (undo && aside && !ReplaceWhenFree(names.oldPaths, startupPaths.pathFile))
        return;  // left as it is for the next start
    DeleteWhenFree(names.newPaths);
    DeleteWhenFree(names.newKeys);
    DeleteWhenFree(names.oldPaths);
}

bool LoadSettings()
{
    StartFileWork();
    bool created = false;
    FinishInterruptedSave();

    if (Stream *keys = OpenWhenFree(startupPaths.keyFile, "rb")) {
        unsigned char bytes[KEY_FILE_SIZE];
        bool filled = ReadKeyFile(keys, bytes);
        CloseStream(keys);
        if (!filled)
            return false;  // an empty key file: nothing was ever saved here
        ParseKeyFile(bytes);
    } else {
        created = CreateIfMissing(startupPaths.keyFile);
    }

    if (Stream *paths = OpenWhenFree(startupPaths.pathFile, "rb")) {
        bool empty = StreamSize(paths) <= 0;
        if (!empty)
            ReadPaths(paths);
        CloseStream(paths);
        if (empty)
            return created;
    } else {
        CreateIfMissing(startupPaths.pathFile);
    }

    CreateIfMissing(startupPaths.manual);
    return created;
}

// A number right-aligned in two characters: 0 to 9 as a space and a digit,
// 10 to 99 as two digits, and a negative switch value read from a file (-9 to
// -1) as a minus and a digit.
static void FormatField(char *field, int value)
{
    if (value >= 10) {
        field[0] = (char)('0' + value / 10 % 10);
        field[1] = (char)('0' + value % 10);
    } else {
        field[0] = value < 0 ? '-' : ' ';
        field[1] = (char)('0' + (value < 0 ? -value : value) % 10);
    }
}

static void FormatKeyFile(char bytes[KEY_FILE_SIZE])
{
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        bytes[slot] = slot == RESERVED_SLOT ? 0 : slotTable.slots[slot].key;
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        FormatField(bytes + LENGTH_FIELDS_OFFSET + 2 * slot, slotTable.slots[slot].length);
    FormatField(bytes + SWITCH_FIELD_OFFSET, slotTable.hotkeysRegistered);
}

static bool WriteNewPathFile(const char *path)
{
    Stream *stream = OpenWhenFree(path, "wb");
    if (stream == nullptr)
        return false;
    bool written = true;
    for (const Slot &slot : slotTable.slots)
        written = written && WriteStream(stream, slot.path, (size_t)slot.length);
    return CloseStream(stream) && written;
}

static bool WriteNewKeyFile(const char *path)
{
    char bytes[KEY_FILE_SIZE];
    FormatKeyFile(bytes);
    Stream *stream = OpenWhenFree(path, "wb");
    if (stream == nullptr)
        return false;
    bool written = WriteStream(stream, bytes, sizeof bytes);
    return CloseStream(stream) && written;
}

// A path that does not fit the two-digit length field cannot be saved; the
// user is told which row, and nothing is written.
static bool RefuseLongPath()
{
    for (const SlotRow &row : slotRows) {
        if (strlen(slotTable.slots[row.slot].path) > LONGEST_STORABLE_PATH) {
            const char rowNumber[2] = {(char)('0' + row.row), 0};
            char text[64] = "第";
            AppendText(text, sizeof text, rowNumber);
            AppendText(text, sizeof text, "行的路径超过99字节，未保存");
            ShowNotice(text, false);
            return true;
        }
    }
    return false;
}

// Both files are written in full beside the old ones, then moved in, path file
// first. Any failure puts the old pair back as it was. Files held for good may
// keep even that from happening: the files are then left as an interrupted
// save leaves them, and are put right first, as at a start, before they are
// written over.
void SaveSettings()
{
    if (RefuseLongPath())
        return;
    StartFileWork();
    FinishInterruptedSave();
    for (Slot &slot : slotTable.slots)
        slot.length = (int)strlen(slot.path);

    SaveFileNames names;
    NameSaveFiles(&names);

    // The old path file is moved aside, not overwritten, so that it can come
    // back; a missing one is made empty first, which loads the same, so that
    // there always is one aside while the new one is in. The new one then only
    // takes a free name: whatever else stands there stays untouched.
    bool saved = false, whole = true;
    if (WriteNewPathFile(names.newPaths) && WriteNewKeyFile(names.newKeys) &&
        (FileExists(startupPaths.pathFile) || CreateEmpty(startupPaths.pathFile)) &&
        ReplaceWhenFree(startupPaths.pathFile, names.oldPaths)) {
        saved = MoveToUnusedNameWhenFree(names.newPaths, startupPaths.pathFile) &&
                ReplaceWhenFree(names.newKeys, startupPaths.keyFile);
        whole = saved || ReplaceWhenFree(names.oldPaths, startupPaths.pathFile);
    }
    if (whole) {
        DeleteWhenFree(names.newPaths);
        DeleteWhenFree(names.newKeys);
        DeleteWhenFree(names.oldPaths);
    }
    if (!saved)
        ShowNotice(FILE_FAILURE_NOTICE, false);
}
