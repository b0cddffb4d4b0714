// Fuzz target of the two data files. Each input describes a start-up
// directory: the key file, the path file, what an interrupted save may have
// left beside them, edits the user makes before pressing Save, and a file
// operation of the save that fails. The target loads the directory, checks the
// table against the file format, saves, and checks that the saved pair is well
// formed and loads back to the same table.
//
// Input layout (bytes past the end read as 0, sizes are cut to what is left):
//   byte 0      which files exist: 1 "l.z", 2 "z.l", 4 "l.z.new", 8 "z.l.new",
//               16 "z.l.old"; 32: edit the table before saving; 64: a save
//               fails at one file operation first
//   if 1:  a size byte, then the key file
//   if 4:  a size byte, then the leftover new key file
//   if 8:  a size byte, then the leftover new path file
//   if 16: two size bytes (high byte first), then the old path file
//   if 32: a count byte, then that many edits, each a byte saying what:
//          (what & 7) < 6: row (what & 7) + 1; with bit 3 its key field,
//                          else its path field, gets the text that follows
//                          (two size bytes, high byte first, then the text)
//          (what & 7) == 6 or 7: hotkeys switched off (F3) or on (F2)
//   if 64: a byte: which file operation of that save fails (0 the first)
//   if 2:  the rest is the path file
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "store/manual.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

#define CHECK(condition, what)                                                        \
    do {                                                                              \
        if (!(condition)) {                                                           \
            fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, what, \
                    #condition);                                                      \
            abort();                                                                  \
        }                                                                             \
    } while (0)

namespace {

enum {
    HAS_KEYS = 1,
    HAS_PATHS = 2,
    HAS_NEW_KEYS = 4,
    HAS_NEW_PATHS = 8,
    HAS_OLD_PATHS = 16,
    HAS_EDITS = 32,
    HAS_FAILURE = 64,
};

const char KEYS[] = "l.z";
const char PATHS[] = "z.l";
const char NEW_KEYS[] = "l.z.new";
const char NEW_PATHS[] = "z.l.new";
const char OLD_PATHS[] = "z.l.old";

struct File {
    bool exists = false;
    std::string bytes;
};

bool operator==(const File &a, const File &b) { return a.exists == b.exists && a.bytes == b.bytes; }

// The start-up directory of every input: private to this process. The process
// keeps its own current directory, where libFuzzer may write its findings.
std::string scratch;

std::string In(const char *name) { return scratch + "/" + name; }

File ReadFile(const char *name)
{
    File file;
    FILE *stream = fopen(In(name).c_str(), "rb");
    if (stream == nullptr)
        return file;
    file.exists = true;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, stream)) > 0)
        file.bytes.append(buffer, got);
    fclose(stream);
    return file;
}

void WriteFile(const char *name, const File &file)
{
    if (!file.exists)
        return;
    FILE *stream = fopen(In(name).c_str(), "wb");
    CHECK(stream != nullptr, name);
    CHECK(fwrite(file.bytes.data(), 1, file.bytes.size(), stream) == file.bytes.size(), name);
    CHECK(fclose(stream) == 0, name);
}

// Reads the input front to back; past its end every byte is 0.
struct Input {
    const uint8_t *data;
    size_t size;

    unsigned Byte()
    {
        if (size == 0)
            return 0;
        size--;
        return *data++;
    }

    std::string Bytes(size_t count)
    {
        count = count < size ? count : size;
        std::string bytes(reinterpret_cast<const char *>(data), count);
        data += count;
        size -= count;
        return bytes;
    }

    std::string Rest() { return Bytes(size); }
};

struct Edit {
    unsigned what;
    std::string text;
};

struct Directory {
    File keys, paths, newKeys, newPaths, oldPaths;
    bool edit = false;
    std::vector<Edit> edits;
    int failingStep = 0;  // counted from 1; 0 for none
};

Directory Parse(Input in)
{
    Directory dir;
    unsigned flags = in.Byte();
    if (flags & HAS_KEYS)
        dir.keys = {true, in.Bytes(in.Byte())};
    if (flags & HAS_NEW_KEYS)
        dir.newKeys = {true, in.Bytes(in.Byte())};
    if (flags & HAS_NEW_PATHS)
        dir.newPaths = {true, in.Bytes(in.Byte())};
    if (flags & HAS_OLD_PATHS) {
        unsigned size = in.Byte() << 8;
        dir.oldPaths = {true, in.Bytes(size | in.Byte())};
    }
    if (flags & HAS_EDITS) {
        dir.edit = true;
        for (unsigned count = in.Byte(); count > 0; count--) {
            Edit edit = {in.Byte(), ""};
            if ((edit.what & 7) < VISIBLE_SLOT_COUNT) {
                unsigned size = in.Byte() << 8;
                edit.text = in.Bytes(size | in.Byte());
            }
            dir.edits.push_back(edit);
        }
    }
    if (flags & HAS_FAILURE)
        dir.failingStep = 1 + in.Byte();
    if (flags & HAS_PATHS)
        dir.paths = {true, in.Rest()};
    return dir;
}

// The table as the file format describes it, worked out here independently of
// the store: a two-character field is what strtol makes of those two characters
// alone, a negative length counts as 0, a key file shorter than 23 bytes reads
// its missing bytes as 0, and a path is cut short by the end of the path file
// or a 0 byte.
struct Model {
    char keys[SLOT_COUNT] = {};
    int lengths[SLOT_COUNT] = {};
    std::string paths[SLOT_COUNT];
    int hotkeys = 0;
};

int FieldValue(const std::string &keyFile, size_t offset)
{
    char field[3] = {};
    for (size_t i = 0; i < 2; i++)
        field[i] = offset + i < keyFile.size() ? keyFile[offset + i] : 0;
    return (int)strtol(field, nullptr, 10);
}

int LengthField(const std::string &keyFile, int slot)
{
    int length = FieldValue(keyFile, LENGTH_FIELDS_OFFSET + 2 * slot);
    return length < 0 ? 0 : length;
}

long SumOfLengths(const std::string &keyFile)
{
    long sum = 0;
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        sum += LengthField(keyFile, slot);
    return sum;
}

// What loading the pair gives. An empty or missing key file ends loading with
// the table untouched; an empty or missing path file leaves the paths empty.
Model ModelOf(const File &keys, const File &paths)
{
    Model model;
    if (keys.bytes.empty())
        return model;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        model.keys[slot] = slot < (int)keys.bytes.size() ? keys.bytes[slot] : 0;
        model.lengths[slot] = LengthField(keys.bytes, slot);
    }
    model.hotkeys = FieldValue(keys.bytes, SWITCH_FIELD_OFFSET);
    size_t offset = 0;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        if (offset < paths.bytes.size()) {
            std::string path = paths.bytes.substr(offset, model.lengths[slot]);
            model.paths[slot] = path.substr(0, strnlen(path.c_str(), path.size()));
        }
        offset += model.lengths[slot];
    }
    return model;
}

// Every path is zero-terminated inside its buffer and no longer than the
// length it was read with; lengths fit the two-digit field.
void CheckTableIsSound()
{
    for (const Slot &slot : slotTable.slots) {
        CHECK(memchr(slot.path, 0, PATH_SIZE) != nullptr, "path without its terminating zero");
        CHECK(slot.length >= 0 && slot.length <= LONGEST_STORABLE_PATH, "length outside 0 to 99");
        CHECK(strlen(slot.path) <= (size_t)slot.length, "path longer than its length");
        CHECK(slot.repeatPending == 0, "repeat flag set by loading");
    }
    CHECK(slotTable.hotkeysRegistered >= -9 && slotTable.hotkeysRegistered <= 99,
          "hotkey switch beyond two characters");
}

void CheckTableIs(const Model &model)
{
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        const Slot &loaded = slotTable.slots[slot];
        CHECK(loaded.key == model.keys[slot], "key");
        CHECK(loaded.length == model.lengths[slot], "length");
        CHECK(loaded.path == model.paths[slot], "path");
    }
    CHECK(slotTable.hotkeysRegistered == model.hotkeys, "hotkey switch");
}

// Nothing but the pair and the manual may stay in the directory.
void CheckNoLeftovers()
{
    DIR *dir = opendir(scratch.c_str());
    CHECK(dir != nullptr, "directory listing");
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        bool known = strcmp(name, ".") == 0 || strcmp(name, "..") == 0 || strcmp(name, KEYS) == 0 ||
                     strcmp(name, PATHS) == 0 || strcmp(name, MANUAL_FILE_NAME) == 0;
        if (!known)
            fprintf(stderr, "left in the directory: %s\n", name);
        CHECK(known, "file left beside the data files");
    }
    closedir(dir);
}

// Loading may finish an interrupted save or undo it, never mix it: the key
// file is the one there was or the waiting new one, and the new one only when
// its lengths fit the path file; the path file is the one there was or the one
// moved aside, never the waiting new one.
void CheckRecovery(const Directory &before, const File &keys, const File &paths)
{
    File created = {true, ""};
    bool keysKept = keys == before.keys || (!before.keys.exists && keys == created);
    bool keysMovedIn = before.newKeys.exists && keys == before.newKeys;
    CHECK(keysKept || keysMovedIn, "key file neither kept nor the new one");
    if (!keysKept) {
        CHECK(keys.bytes.size() == KEY_FILE_SIZE, "incomplete new key file moved in");
        CHECK(SumOfLengths(keys.bytes) == (long)paths.bytes.size(), "new key file does not fit the path file");
    }
    bool pathsKept = paths == before.paths || (!before.paths.exists && (paths == created || !paths.exists));
    bool pathsRestored = before.oldPaths.exists && paths == before.oldPaths;
    CHECK(pathsKept || pathsRestored, "path file neither kept nor the old one");
}

struct Saved {
    char keys[SLOT_COUNT];
    std::string paths[SLOT_COUNT];
    int hotkeys;
};

Saved TableBeforeSave()
{
    Saved saved;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        saved.keys[slot] = slot == RESERVED_SLOT ? 0 : slotTable.slots[slot].key;
        saved.paths[slot] = slotTable.slots[slot].path;
    }
    saved.hotkeys = slotTable.hotkeysRegistered;
    return saved;
}

void ApplyEdits(const std::vector<Edit> &edits)
{
    for (const Edit &edit : edits) {
        unsigned row = edit.what & 7;
        if (row >= VISIBLE_SLOT_COUNT) {
            slotTable.hotkeysRegistered = row == VISIBLE_SLOT_COUNT ? 0 : 1;
            continue;
        }
        int slot = slotRows[row].slot;
        if (edit.what & 8) {
            bool cut = SetSlotKey(slot, edit.text.c_str());
            CHECK(slotTable.slots[slot].key == (edit.text.empty() ? 0 : edit.text[0]), "key field");
            CHECK(cut == (strlen(edit.text.c_str()) > 1), "key field cut");
        } else {
            SetSlotPath(slot, edit.text.c_str());
            size_t kept = strnlen(edit.text.c_str(), PATH_SIZE - 1);
            CHECK(strlen(slotTable.slots[slot].path) == kept, "path field length");
            CHECK(memcmp(slotTable.slots[slot].path, edit.text.data(), kept) == 0, "path field");
        }
    }
}

bool HasUnstorablePath()
{
    for (const Slot &slot : slotTable.slots) {
        if (strlen(slot.path) > LONGEST_STORABLE_PATH)
            return true;
    }
    return false;
}

// The saved pair: 23 bytes of keys, lengths and switch, and the paths back to
// back; slot 3's key is written as 0.
void CheckSavedFiles(const Saved &saved)
{
    File keys = ReadFile(KEYS);
    File paths = ReadFile(PATHS);
    CHECK(keys.exists && paths.exists, "saved pair missing");
    CHECK(keys.bytes.size() == KEY_FILE_SIZE, "key file not 23 bytes");
    CHECK(SumOfLengths(keys.bytes) == (long)paths.bytes.size(), "path file size differs from the lengths");
    std::string joined;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        CHECK(keys.bytes[slot] == saved.keys[slot], "saved key");
        CHECK(LengthField(keys.bytes, slot) == (int)saved.paths[slot].size(), "saved length");
        joined += saved.paths[slot];
    }
    CHECK(paths.bytes == joined, "saved paths");
    CHECK(FieldValue(keys.bytes, SWITCH_FIELD_OFFSET) == saved.hotkeys, "saved hotkey switch");
}

void CheckLoadGives(const Saved &saved)
{
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        CHECK(slotTable.slots[slot].key == saved.keys[slot], "reloaded key");
        CHECK(slotTable.slots[slot].path == saved.paths[slot], "reloaded path");
    }
    CHECK(slotTable.hotkeysRegistered == saved.hotkeys, "reloaded hotkey switch");
}

void RemoveAll()
{
    for (const char *name : {KEYS, PATHS, NEW_KEYS, NEW_PATHS, OLD_PATHS, MANUAL_FILE_NAME})
        remove(In(name).c_str());
}

void MakeScratchDirectory()
{
    if (!scratch.empty())
        return;
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/jumpdeck-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    CHECK(mkdtemp(name.data()) != nullptr, "scratch directory");
    scratch = name.data();
    atexit([] {
        RemoveAll();
        rmdir(scratch.c_str());
    });
}

// The program is started in the scratch directory.
void CaptureStartupPathsInScratch()
{
    char previous[4096];
    CHECK(getcwd(previous, sizeof previous) != nullptr, "current directory");
    CHECK(chdir(scratch.c_str()) == 0, "scratch directory");
    CaptureStartupPaths();
    CHECK(chdir(previous) == 0, "current directory");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MakeScratchDirectory();
    RemoveAll();
    Directory dir = Parse({data, size});
    WriteFile(KEYS, dir.keys);
    WriteFile(PATHS, dir.paths);
    WriteFile(NEW_KEYS, dir.newKeys);
    WriteFile(NEW_PATHS, dir.newPaths);
    WriteFile(OLD_PATHS, dir.oldPaths);

    ResetFake();
    CaptureStartupPathsInScratch();
    LoadSettings();
    CHECK(fake.events.empty(), "notice while loading");
    CheckNoLeftovers();
    File keys = ReadFile(KEYS);
    File paths = ReadFile(PATHS);
    CheckRecovery(dir, keys, paths);
    CheckTableIsSound();
    CheckTableIs(ModelOf(keys, paths));

    if (dir.edit)
        ApplyEdits(dir.edits);

    // A path of 100 bytes or more cannot be stored: the save is refused with a
    // notice and the files stay as they were. Loading alone never gets there.
    if (HasUnstorablePath()) {
        CHECK(dir.edit, "unstorable path from loading");
        SaveSettings();
        CHECK(fake.events.size() == 1 && fake.events[0].rfind("notice ", 0) == 0, "no notice for a long path");
        CHECK(ReadFile(KEYS) == keys && ReadFile(PATHS) == paths, "refused save changed the files");
        CheckNoLeftovers();
        for (const SlotRow &row : slotRows) {
            std::string path = slotTable.slots[row.slot].path;
            SetSlotPath(row.slot, path.substr(0, LONGEST_STORABLE_PATH).c_str());
        }
        fake.events.clear();
    }

    Saved saved = TableBeforeSave();

    // A save that fails at any one step either says so and leaves the pair as
    // it was, byte for byte, or (a failure that does no harm) saves in full.
    if (dir.failingStep > 0) {
        fake.failAtFileStep = fake.fileSteps + dir.failingStep;
        SaveSettings();
        fake.failAtFileStep = 0;
        CheckNoLeftovers();
        if (fake.events.empty()) {
            CheckSavedFiles(saved);
        } else {
            CHECK(fake.events.size() == 1 && fake.events[0] == std::string("notice ") + FILE_FAILURE_NOTICE,
                  "notice for a failed save");
            CHECK(ReadFile(KEYS) == keys && ReadFile(PATHS) == paths, "failed save changed the files");
            fake.events.clear();
        }
    }

    SaveSettings();
    CHECK(fake.events.empty(), "notice while saving");
    CheckNoLeftovers();
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        CHECK(slotTable.slots[slot].length == (int)saved.paths[slot].size(), "length after saving");
    CheckSavedFiles(saved);

    ResetFake();
    LoadSettings();
    CHECK(fake.events.empty(), "notice while loading the saved pair");
    CheckTableIsSound();
    CheckLoadGives(saved);
    return 0;
}
