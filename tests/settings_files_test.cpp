#include <string>
#include <vector>

#include "store/slot_table.h"
#include "tests/store_fixture.h"

using namespace std::string_literals;

static const char NOTICE_FAILURE[] = "notice what the fuke";

// The bytes of the documented example: a -> C:\x.txt, b -> D:\, hotkeys on.
static const std::string EXAMPLE_KEYS = "ab\0\0\0\0\0 8 3 0 0 0 0 0 1"s;
static const std::string EXAMPLE_PATHS = "C:\\x.txtD:\\";

class SettingsFiles : public StoreTest {};

// Each table saves as exactly these bytes and loads back as itself.
TEST_F(SettingsFiles, TablesAndTheirBytes)
{
    const std::string longest(99, 'w');
    struct Case {
        const char *name;
        char keys[SLOT_COUNT];
        const char *paths[SLOT_COUNT];
        int hotkeys;
        std::string keyFile;
        std::string pathFile;
    } cases[] = {
        {"documented example", {'a', 'b'}, {"C:\\x.txt", "D:\\"}, 1, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"empty", {}, {}, 0, "\0\0\0\0\0\0\0 0 0 0 0 0 0 0 0"s, ""},
        {"every row, percent signs", {'1', 'q', 'Z', 0, '%', 'x', 'y'},
         {"a%d", "", "C:\\Program Files\\程序.exe", "", "%s%%", longest.c_str(), "x"}, 0,
         "1qZ\0%xy 3 025 0 499 1 0"s, "a%dC:\\Program Files\\程序.exe%s%%" + longest + "x"},
    };
    for (const Case &c : cases) {
        ResetFake();
        for (int slot = 0; slot < SLOT_COUNT; slot++) {
            slotTable.slots[slot].key = c.keys[slot];
            SetSlotPath(slot, c.paths[slot] ? c.paths[slot] : "");
        }
        slotTable.hotkeysRegistered = c.hotkeys;
        SlotTable saved = slotTable;
        SaveSettings();
        EXPECT_EQ(Read("l.z"), c.keyFile) << c.name;
        EXPECT_EQ(Read("z.l"), c.pathFile) << c.name;
        ResetFake();
        LoadSettings();
        for (int slot = 0; slot < SLOT_COUNT; slot++) {
            EXPECT_EQ(slotTable.slots[slot].key, saved.slots[slot].key) << c.name << ", slot " << slot;
            EXPECT_STREQ(slotTable.slots[slot].path, saved.slots[slot].path) << c.name << ", slot " << slot;
        }
        EXPECT_EQ(slotTable.hotkeysRegistered, c.hotkeys) << c.name;
        EXPECT_TRUE(fake.events.empty()) << c.name;
    }
}

TEST_F(SettingsFiles, LengthFieldsReadAsTwoCharacterNumbers)
{
    struct Case {
        std::string field;
        int length;
    } cases[] = {
        {" 0", 0}, {"0 ", 0}, {"12", 12}, {" 7", 7}, {"7 ", 7}, {"+7", 7},
        {"-5", 0}, {"x", 0},  {"xx", 0},  {"1x", 1}, {"\t9", 9}, {"99", 99},
    };
    for (const Case &c : cases) {
        ResetFake();
        std::string keys = "a\0\0\0\0\0\0"s + (c.field + "  ").substr(0, 2) + " 0 0 0 0 0 0 1";
        Write("l.z", keys);
        Write("z.l", std::string(120, 'p'));
        LoadSettings();
        EXPECT_EQ(slotTable.slots[0].length, c.length) << '"' << c.field << '"';
        EXPECT_EQ(std::string(slotTable.slots[0].path), std::string(c.length, 'p')) << '"' << c.field << '"';
    }
}

TEST_F(SettingsFiles, SwitchFieldKeepsWhatItSaysAndIsWrittenBack)
{
    for (const char *field : {" 0", " 1", " 2", "-3", "12", "x "}) {
        ResetFake();
        Write("l.z", "\0\0\0\0\0\0\0 0 0 0 0 0 0 0"s + field);
        Write("z.l", "");
        LoadSettings();
        SaveSettings();
        std::string expected = field == std::string("x ") ? " 0" : field;
        EXPECT_EQ(Read("l.z").substr(21), expected) << field;
    }
}

TEST_F(SettingsFiles, LoadStopsEarlyAndCreatesMissingFiles)
{
    const char *missing = nullptr;
    struct Case {
        const char *name;
        const char *keys;    // nullptr: no such file
        const char *paths;
        bool keysLoaded;
        bool pathsLoaded;
        bool manualCreated;
    } cases[] = {
        {"first run", missing, missing, false, false, true},
        {"empty key file", "", "C:\\x.txt", false, false, false},
        {"empty path file", "a\0\0\0\0\0\0 8 0 0 0 0 0 0 1", "", true, false, false},
        {"missing key file", missing, "C:\\x.txt", false, false, true},
        {"both present", "a\0\0\0\0\0\0 8 0 0 0 0 0 0 1", "C:\\x.txt", true, true, true},
    };
    for (const Case &c : cases) {
        ResetFake();
        for (const char *name : {"l.z", "z.l", "生命手册.txt"})
            Remove(name);
        if (c.keys)
            Write("l.z", std::string(c.keys, c.keys == std::string("") ? 0 : 23));
        if (c.paths)
            Write("z.l", c.paths);
        LoadSettings();
        EXPECT_EQ(slotTable.slots[0].key, c.keysLoaded ? 'a' : 0) << c.name;
        EXPECT_EQ(slotTable.hotkeysRegistered, c.keysLoaded ? 1 : 0) << c.name;
        EXPECT_STREQ(slotTable.slots[0].path, c.pathsLoaded ? "C:\\x.txt" : "") << c.name;
        EXPECT_EQ(Exists("生命手册.txt"), c.manualCreated) << c.name;
        EXPECT_EQ(Read("l.z"), c.keys ? std::string(c.keys, c.keys == std::string("") ? 0 : 23) : "") << c.name;
        EXPECT_EQ(Read("z.l"), c.paths ? c.paths : "") << c.name;
        EXPECT_TRUE(fake.events.empty()) << c.name;
    }
}

TEST_F(SettingsFiles, ShortOrInconsistentFilesLoadWithoutOverrun)
{
    struct Case {
        const char *name;
        std::string keys;
        std::string paths;
        std::vector<std::string> expected;  // paths of slots 0 to 6
        int hotkeys;
    } cases[] = {
        {"key file of 9 bytes", "abcdefg 5"s, "12345678", {"12345", "", "", "", "", "", ""}, 0},
        {"key file of 1 byte", "a"s, "12345678", {"", "", "", "", "", "", ""}, 0},
        {"path file shorter than the lengths", "\0\0\0\0\0\0\099 5 5 0 0 0 0 0"s, "abc",
         {"abc", "", "", "", "", "", ""}, 0},
        {"zero byte inside a path", "\0\0\0\0\0\0\0 5 2 0 0 0 0 0 0"s, "ab\0cdXY"s,
         {"ab", "XY", "", "", "", "", ""}, 0},
        {"lengths all 99", "\0\0\0\0\0\0\0"s + std::string(16, '9'), std::string(693, 'q'),
         {std::string(99, 'q'), std::string(99, 'q'), std::string(99, 'q'), std::string(99, 'q'),
          std::string(99, 'q'), std::string(99, 'q'), std::string(99, 'q')}, 99},
    };
    for (const Case &c : cases) {
        ResetFake();
        Write("l.z", c.keys);
        Write("z.l", c.paths);
        LoadSettings();
        for (int slot = 0; slot < SLOT_COUNT; slot++)
            EXPECT_EQ(std::string(slotTable.slots[slot].path), c.expected[slot]) << c.name << ", slot " << slot;
        EXPECT_EQ(slotTable.hotkeysRegistered, c.hotkeys) << c.name;
    }
}

// Also: percent signs in a path are bytes like any other.
TEST_F(SettingsFiles, ReservedSlotPathSurvivesAndItsKeyIsDropped)
{
    Write("l.z", "abcdefg 1 1 1 2 1 1 1 0"s);
    Write("z.l", "123%%567");
    LoadSettings();
    EXPECT_EQ(slotTable.slots[RESERVED_SLOT].key, 'd');
    SaveSettings();
    EXPECT_EQ(Read("l.z"), "abc\0efg 1 1 1 2 1 1 1 0"s);
    EXPECT_EQ(Read("z.l"), "123%%567");
}

TEST_F(SettingsFiles, SavesGoToTheStartUpDirectoryAfterTheCurrentOneMoved)
{
    std::filesystem::path elsewhere = directory / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    SetSlotPath(0, "first");
    SaveSettings();
    std::filesystem::current_path(elsewhere);
    SetSlotPath(0, "second");
    SaveSettings();
    EXPECT_EQ(Read("z.l"), "second");
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "z.l"));
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "l.z"));
}

TEST_F(SettingsFiles, LongStartUpDirectoryStillHoldsTheFiles)
{
    // Deeper than 199 bytes, but within what the ANSI file calls accept.
    std::filesystem::path deep = directory;
    while (deep.string().size() < 215)
        deep /= "abcdefghijklmnopqrstuvwxyz";
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    CaptureStartupPaths();
    SetSlotPath(0, "deep");
    SaveSettings();
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(ReadBytes((deep / "z.l").string()), "deep");
    ResetFake();
    LoadSettings();
    EXPECT_STREQ(slotTable.slots[0].path, "deep");
}

TEST_F(SettingsFiles, PathOver99BytesRefusesTheSaveAndNamesTheRow)
{
    Write("l.z", EXAMPLE_KEYS);
    Write("z.l", EXAMPLE_PATHS);
    for (const SlotRow &row : slotRows) {
        ResetFake();
        SetSlotPath(row.slot, std::string(100, 'x').c_str());
        SaveSettings();
        EXPECT_EQ(fake.events, std::vector<std::string>{"notice 第" + std::to_string(row.row) +
                                                        "行的路径超过99字节，未保存"});
        EXPECT_EQ(Read("l.z"), EXAMPLE_KEYS);
        EXPECT_EQ(Read("z.l"), EXAMPLE_PATHS);
    }
    ResetFake();
    SetSlotPath(6, std::string(99, 'x').c_str());
    SaveSettings();
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(Read("l.z").substr(19, 2), "99");
}

// Whatever single step of a save fails, the old pair stays byte for byte, the
// user is told, and nothing is left beside the files.
TEST_F(SettingsFiles, FailureAtAnyStepOfASaveKeepsTheOldPair)
{
    Write("l.z", EXAMPLE_KEYS);
    Write("z.l", EXAMPLE_PATHS);
    int failures = 0;
    for (int step = 1;; step++) {
        ResetFake();
        SetSlotPath(0, "E:\\new.exe");
        slotTable.slots[0].key = 'n';
        fake.failAtFileStep = step;
        SaveSettings();
        if (fake.fileSteps < step)
            break;  // every step has failed once
        failures++;
        std::vector<std::string> expected = {NOTICE_FAILURE};
        if (fake.events != expected) {
            // A failure that cannot harm the save (cleaning up) may pass unnoticed,
            // but then the new pair must be complete.
            EXPECT_TRUE(fake.events.empty()) << "step " << step;
            EXPECT_EQ(Read("z.l"), "E:\\new.exe") << "step " << step;
            Write("l.z", EXAMPLE_KEYS);
            Write("z.l", EXAMPLE_PATHS);
        } else {
            EXPECT_EQ(Read("l.z"), EXAMPLE_KEYS) << "step " << step;
            EXPECT_EQ(Read("z.l"), EXAMPLE_PATHS) << "step " << step;
        }
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"l.z", "z.l"})) << "step " << step;
    }
    EXPECT_GE(failures, 8);
}

TEST_F(SettingsFiles, LoadFinishesOrUndoesAnInterruptedSave)
{
    const std::string newKeys = "n\0\0\0\0\0\0 8 0 0 0 0 0 0 0"s;
    const std::string newPaths = "E:\\n.exe";
    struct Case {
        const char *name;
        std::vector<std::pair<const char *, std::string>> files;
        std::string keys;
        std::string paths;
    } cases[] = {
        {"stopped while writing the new files",
         {{"l.z", EXAMPLE_KEYS}, {"z.l", EXAMPLE_PATHS}, {"z.l.new", "E:\\n"}},
         EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"stopped before moving anything",
         {{"l.z", EXAMPLE_KEYS}, {"z.l", EXAMPLE_PATHS}, {"z.l.new", newPaths}, {"l.z.new", newKeys}},
         EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"stopped after moving the old path file aside",
         {{"l.z", EXAMPLE_KEYS}, {"z.l.old", EXAMPLE_PATHS}, {"z.l.new", newPaths}, {"l.z.new", newKeys}},
         EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"stopped between the two moves",
         {{"l.z", EXAMPLE_KEYS}, {"z.l", newPaths}, {"z.l.old", EXAMPLE_PATHS}, {"l.z.new", newKeys}},
         newKeys, newPaths},
        {"new key file does not fit the path file",
         {{"l.z", EXAMPLE_KEYS}, {"z.l", "E:\\n.ex"}, {"z.l.old", EXAMPLE_PATHS}, {"l.z.new", newKeys}},
         EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"stopped before removing the old path file",
         {{"l.z", newKeys}, {"z.l", newPaths}, {"z.l.old", EXAMPLE_PATHS}},
         newKeys, newPaths},
    };
    for (const Case &c : cases) {
        ResetFake();
        for (const char *name : {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"})
            Remove(name);
        for (const auto &file : c.files)
            Write(file.first, file.second);
        LoadSettings();
        EXPECT_EQ(Read("l.z"), c.keys) << c.name;
        EXPECT_EQ(Read("z.l"), c.paths) << c.name;
        for (const char *name : {"l.z.new", "z.l.new", "z.l.old"})
            EXPECT_FALSE(Exists(name)) << c.name << ": " << name;
        EXPECT_EQ(slotTable.slots[0].key, c.keys[0]) << c.name;
    }
}
