#include "store/settings_files.h"

#include <string.h>

#include "common/platform.h"
#include "common/text.h"
#include "store/busy_files.h"
#include "store/manual.h"
#include "store/save_moves.h"
#include "store/slot_table.h"

StartupPaths startupPaths;

const char FILE_FAILURE_NOTICE[] = "what the fuke";

static const char KEY_FILE_NAME[] = "l.z";
static const char PATH_FILE_NAME[] = "z.l";

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

// Creates the file empty unless it is there; reports a failure. Returns true
// when it made the file.
static bool CreateIfMissing(const char *path)
{
    if (KindOfFile(path) != KIND_MISSING)
        return false;
    if (CreateEmptyWhenFree(path))
        return true;
    ShowNotice(FILE_FAILURE_NOTICE, false);
    return false;
}

// What reading a data file that is there gave.
enum DataRead { DATA_READ, DATA_EMPTY, DATA_UNREAD };

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

// Reads at most KEY_FILE_SIZE bytes into the slot table; a short file reads
// its missing bytes as 0. An empty file gives nothing.
static int ReadKeyFile(const char *path)
{
    Stream *stream = OpenWhenFree(path, "rb");
    if (stream == nullptr)
        return DATA_UNREAD;
    unsigned char bytes[KEY_FILE_SIZE] = {};
    bool filled = StreamSize(stream) > 0;
    if (filled)
        ReadStream(stream, bytes, KEY_FILE_SIZE);
    CloseStream(stream);
    if (filled)
        ParseKeyFile(bytes);
    return filled ? DATA_READ : DATA_EMPTY;
}

static int ReadPathFile(const char *path)
{
    Stream *stream = OpenWhenFree(path, "rb");
    if (stream == nullptr)
        return DATA_UNREAD;
    bool filled = StreamSize(stream) > 0;
    long offset = 0;
    for (Slot &slot : slotTable.slots) {
        char text[PATH_SIZE] = {};
        if (filled && slot.length > 0 && SeekStream(stream, offset))
            ReadStream(stream, text, (size_t)slot.length);
        text[PATH_SIZE - 1] = 0;
        memcpy(slot.path, text, PATH_SIZE);
        offset += slot.length;
    }
    CloseStream(stream);
    return filled ? DATA_READ : DATA_EMPTY;
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

// Whether the key file holds all its bytes and its lengths add up to the size
// of the path file: whether the two belong together.
bool KeyFileFitsPathFile(const char *keyFile)
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

// A start that cannot read the pair as it stands shows nothing, says so, and
// its run never writes over the bindings it has not shown.
static const char *unreadFile;

static bool ShowNothing(const char *path, bool created)
{
    slotTable = SlotTable();
    unreadFile = path;
    ShowNotice(FILE_FAILURE_NOTICE, false);
    return created;
}

bool LoadSettings()
{
    StartFileWork();
    unreadFile = nullptr;
    SaveFileNames names;
    NameSaveFiles(&names);
    if (!PutInterruptedSaveRight(names))
        return ShowNothing(startupPaths.pathFile, false);  // its old bytes stand aside

    bool created = false;
    int keys = DATA_READ;
    if (KindOfFile(startupPaths.keyFile) == KIND_MISSING)
        created = CreateIfMissing(startupPaths.keyFile);
    else
        keys = ReadKeyFile(startupPaths.keyFile);
    if (keys == DATA_UNREAD)
        return ShowNothing(startupPaths.keyFile, created);
    if (keys == DATA_EMPTY)
        return created;  // nothing was ever saved here

    int paths = DATA_READ;
    if (KindOfFile(startupPaths.pathFile) == KIND_MISSING)
        CreateIfMissing(startupPaths.pathFile);
    else
        paths = ReadPathFile(startupPaths.pathFile);
    if (paths == DATA_UNREAD)
        return ShowNothing(startupPaths.pathFile, created);
    if (paths == DATA_EMPTY)
        return created;

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

// A notice that names a file: the text before the name, the name, the text after.
static void NoticeNaming(const char *before, const char *path, const char *after)
{
    char text[STARTUP_PATH_SIZE + 256] = "";
    AppendText(text, sizeof text, before);
    AppendText(text, sizeof text, path);
    AppendText(text, sizeof text, after);
    ShowNotice(text, false);
}

// A path that does not fit the two-digit length field cannot be saved; the
// user is told which row, and nothing is written.
static bool RefuseLongPath()
{
    for (const SlotRow &row : slotRows) {
        if (strlen(slotTable.slots[row.slot].path) > LONGEST_STORABLE_PATH) {
            const char rowNumber[2] = {(char)('0' + row.row), 0};
            NoticeNaming("第", rowNumber, "行的路径超过99字节，未保存");
            return true;
        }
    }
    return false;
}

// The files this run has not shown stay as they are.
static bool RefuseUnshownFiles()
{
    if (unreadFile == nullptr)
        return false;
    NoticeNaming("启动时没能读出 ", unreadFile, "，这次不保存，以免丢掉其中的绑定。\n"
                 "请关闭使用它的程序，再重新启动 Jumpdeck。");
    return true;
}

// A data file marked read-only (copied from a CD or a share, or marked by its
// user) is never written or replaced: the save stops before it touches
// anything, and the mark stays. Nor is a folder of a data file's name moved
// away.
static bool RefuseUnwritableFile()
{
    const char *const dataFiles[] = {startupPaths.keyFile, startupPaths.pathFile};
    for (const char *path : dataFiles) {
        int kind = KindOfFile(path);
        if (kind == KIND_READ_ONLY)
            NoticeNaming("", path, " 是只读文件，未保存。\n请在它的“属性”里取消勾选“只读”，再点“保存”。");
        else if (kind == KIND_FOLDER)
            NoticeNaming("", path, " 是文件夹，未保存。\n请把它移走或改名，再点“保存”。");
        if (kind == KIND_READ_ONLY || kind == KIND_FOLDER)
            return true;
    }
    return false;
}

// A file in the way of the save's moves that could not be removed would have
// it build on a stranger's file: it is named instead.
static bool RefuseLeftover(const SaveFileNames &names)
{
    const char *leftover = LeftoverInTheWay(names);
    if (leftover != nullptr)
        NoticeNaming("", leftover, " 删不掉，未保存。\n请关闭正在使用它的程序，或者把它删除，再点“保存”。");
    return leftover != nullptr;
}

// Both files are written in full beside the old ones, then moved in. What an
// earlier save left is put right first, as at a start.
void SaveSettings()
{
    if (RefuseLongPath() || RefuseUnshownFiles() || RefuseUnwritableFile())
        return;
    StartFileWork();
    SaveFileNames names;
    NameSaveFiles(&names);
    PutInterruptedSaveRight(names);
    if (RefuseLeftover(names))
        return;
    for (Slot &slot : slotTable.slots)
        slot.length = (int)strlen(slot.path);
    bool written = WriteNewPathFile(names.newPaths) && WriteNewKeyFile(names.newKeys);
    if (!MoveNewPairIn(names, written))
        ShowNotice(FILE_FAILURE_NOTICE, false);
}
