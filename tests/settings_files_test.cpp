// The two data files, loaded and saved through the recording platform. Each
// case starts in an empty start-up directory of its own; the current directory
// then moves away, as the file dialog moves it, so every file must be found
// through the start-up directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

static const std::string NONE = "<none>", MANUAL = "生命手册.txt";
static const std::string EXAMPLE_KEYS = "ab\0\0\0\0\0 8 3 0 0 0 0 0 1"s, EXAMPLE_PATHS = "C:\\x.txtD:\\";
static fs::path directory;

static void StartIn(const std::string &name)
{
    directory = fs::temp_directory_path() / ("jumpdeck-" + name);
    fs::remove_all(directory);
    fs::create_directories(directory / "elsewhere");
    fs::current_path(directory);
    CaptureStartupPaths();
    fs::current_path(directory / "elsewhere");
    ResetFake();
}

static std::string Read(const std::string &name)
{
    std::ifstream file(directory / name, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : NONE;
}

static void Write(const std::string &name, const std::string &bytes)
{
    if (bytes != NONE)
        std::ofstream(directory / name, std::ios::binary) << bytes;
}

// The slot table in one line: the seven keys ('.' for none), each path, the switch.
static std::string Table()
{
    std::string text;
    for (const Slot &slot : slotTable.slots)
        text += slot.key ? slot.key : '.';
    for (const Slot &slot : slotTable.slots)
        text += "|" + std::string(slot.path);
    return text + "|" + std::to_string(slotTable.hotkeysRegistered);
}

// Each table saves as exactly these bytes and loads back as itself, but for
// the reserved slot's key, which is never saved.
TEST(SettingsFiles, TablesAndTheirBytesBothWays)
{
    const std::string longest(99, 'w');
    struct Case {
        std::string keys;
        std::vector<std::string> paths;
        int hotkeys;
        std::string keyFile, pathFile;
    } cases[] = {
        {"ab", {"C:\\x.txt", "D:\\"}, 1, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"", {}, 0, "\0\0\0\0\0\0\0 0 0 0 0 0 0 0 0"s, ""},
        {"1qZr%xy", {"a%d", "", "C:\\程序.exe", "res", "%s", longest, "x"}, 0, "1qZ\0%xy 3 011 3 299 1 0"s,
         "a%dC:\\程序.exeres%s" + longest + "x"},
    };
    for (const Case &c : cases) {
        StartIn("bytes");
        for (int slot = 0; slot < SLOT_COUNT; slot++) {
            slotTable.slots[slot].key = (c.keys + std::string(SLOT_COUNT, 0))[slot];
            SetSlotPath(slot, slot < (int)c.paths.size() ? c.paths[slot].c_str() : "");
        }
        slotTable.hotkeysRegistered = c.hotkeys;
        SaveSettings();
        EXPECT_EQ(Read("l.z"), c.keyFile);
        EXPECT_EQ(Read("z.l"), c.pathFile);
        slotTable.slots[RESERVED_SLOT].key = 0;
        std::string saved = Table();
        ResetFake();
        LoadSettings();
        EXPECT_EQ(Table(), saved);
        EXPECT_EQ(fake.events, "");
    }
}

// Files this program never wrote, or none: loading reads what makes sense,
// never past a buffer, creates what is missing, and stops at an empty file.
TEST(SettingsFiles, LoadTakesWhatTheFilesHold)
{
    StartIn("load");
    const std::string empty = Table(), all99 = "\0\0\0\0\0\0\0"s + std::string(16, '9');
    std::string q99 = ".......";
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        q99 += "|" + std::string(99, 'q');
    struct Case {
        const char *name;
        std::string keys, paths, table;
        bool manualMade;
    } cases[] = {
        {"first run", NONE, NONE, empty, true},
        {"empty key file", "", "C:\\x", empty, false},
        {"empty path file", "a\0\0\0\0\0\0 8 0 0 0 0 0 0 1"s, "", "a......||||||||1", false},
        {"no key file, so no lengths", NONE, "C:\\x", empty, true},
        {"short key file", "abcdefg 5", "12345678", "abcdefg|12345|||||||0", true},
        {"fields read as numbers", "\0\0\0\0\0\0\0 22 +2-5x 1x 3-1"s, "aabbccdeee", ".......|aa|bb|cc|||d|eee|-1", true},
        {"short path file", "\0\0\0\0\0\0\0 5 5 0 0 0 0 0 0"s, "abc", ".......|abc|||||||0", true},
        {"zero byte in a path", "\0\0\0\0\0\0\0 5 2 0 0 0 0 0 0"s, "ab\0cdXY"s, ".......|ab|XY||||||0", true},
        {"every length 99", all99, std::string(693, 'q'), q99 + "|99", true},
    };
    for (const Case &c : cases) {
        StartIn("load");
        Write("l.z", c.keys);
        Write("z.l", c.paths);
        LoadSettings();
        EXPECT_EQ(Table(), c.table) << c.name;
        EXPECT_EQ(Read("l.z"), c.keys == NONE ? "" : c.keys) << c.name;
        EXPECT_EQ(Read("z.l"), c.paths == NONE ? "" : c.paths) << c.name;
        EXPECT_EQ(Read(MANUAL), c.manualMade ? "" : NONE) << c.name;
        EXPECT_EQ(fake.events, "") << c.name;
    }
}

// Whatever single file operation of a save fails, the user is told and the old
// pair stays byte for byte, or the save completes; nothing is left beside them.
TEST(SettingsFiles, SaveThatFailsAtAnyStepKeepsTheOldPair)
{
    for (int step = 1;; step++) {
        StartIn("failing-save");
        Write("l.z", EXAMPLE_KEYS);
        Write("z.l", EXAMPLE_PATHS);
        SetSlotPath(0, "E:\\new.exe");
        fake.failAtFileStep = step;
        SaveSettings();
        if (fake.fileSteps < step)
            break;  // every step has failed once
        std::string pair = Read("l.z") + Read("z.l");
        bool kept = pair == EXAMPLE_KEYS + EXAMPLE_PATHS;
        EXPECT_EQ(fake.events, kept ? "notice what the fuke\n" : "") << "step " << step;
        EXPECT_TRUE(kept || pair == "\0\0\0\0\0\0\0" "10 0 0 0 0 0 0 0E:\\new.exe"s) << "step " << step;
        EXPECT_EQ(std::distance(fs::directory_iterator(directory), {}), 3) << "step " << step;
    }
}

// A save writes "z.l.new" and "l.z.new", moves the old path file aside to
// "z.l.old", and moves the new files in, path file first. Loading finishes a
// save that stopped part-way, or undoes it, so that the pair belongs together.
TEST(SettingsFiles, LoadFinishesOrUndoesAnInterruptedSave)
{
    const std::string newKeys = "n\0\0\0\0\0\0 8 0 0 0 0 0 0 0"s, newPaths = "E:\\n.exe";
    struct Case {
        const char *name;
        std::string keys, paths, newKeyFile, newPathFile, oldPathFile, keysAfter, pathsAfter;
    } cases[] = {
        {"while writing", EXAMPLE_KEYS, EXAMPLE_PATHS, NONE, "E:\\n", NONE, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"before the moves", EXAMPLE_KEYS, EXAMPLE_PATHS, newKeys, newPaths, NONE, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"old paths aside", EXAMPLE_KEYS, NONE, newKeys, newPaths, EXAMPLE_PATHS, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"between the moves", EXAMPLE_KEYS, newPaths, newKeys, NONE, EXAMPLE_PATHS, newKeys, newPaths},
        {"new keys do not fit", EXAMPLE_KEYS, "E:\\n.ex", newKeys, NONE, EXAMPLE_PATHS, EXAMPLE_KEYS, EXAMPLE_PATHS},
        {"old paths left", newKeys, newPaths, NONE, NONE, EXAMPLE_PATHS, newKeys, newPaths},
    };
    for (const Case &c : cases) {
        StartIn("interrupted");
        Write("l.z", c.keys);
        Write("z.l", c.paths);
        Write("l.z.new", c.newKeyFile);
        Write("z.l.new", c.newPathFile);
        Write("z.l.old", c.oldPathFile);
        LoadSettings();
        EXPECT_EQ(Read("l.z") + "|" + Read("z.l"), c.keysAfter + "|" + c.pathsAfter) << c.name;
        EXPECT_EQ(Read("l.z.new") + Read("z.l.new") + Read("z.l.old"), NONE + NONE + NONE) << c.name;
        EXPECT_EQ(slotTable.slots[0].key, c.keysAfter[0]) << c.name;
    }
}
