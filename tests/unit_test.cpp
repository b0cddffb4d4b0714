// The store and the hotkeys through the recording platform, for what the
// end-to-end tests cannot make happen under Wine: a file operation of a save
// failing at any step, and keys held by other programs in any mix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "launch/hotkeys.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

using namespace std::string_literals;

// Whatever single file operation of a save fails, the user is told and the old
// pair stays byte for byte, or the save completes; nothing is left beside them.
// An operation that finds its file in use by another program for a moment is
// tried again, and the save completes; a file held for good makes the save
// give up after about a second. The current directory has moved away from the
// start-up directory, as the file dialog may move it.
TEST(SettingsFiles, SaveThatFailsAtAnyStepKeepsTheOldPair)
{
    namespace fs = std::filesystem;
    const fs::path directory = fs::temp_directory_path() / "jumpdeck-failing-save";
    const std::string keys = "ab\0\0\0\0\0 8 3 0 0 0 0 0 1"s, paths = "C:\\x.txtD:\\";
    auto read = [&](const char *name) {
        std::ifstream file(directory / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    struct Mode { const char *name; int failingSteps; bool busy, mustSave; int leastPauseMs, mostPauseMs; } modes[] = {
        {"fails", 1, false, false, 0, 0}, {"busy once", 1, true, true, 25, 25},
        {"busy for good", 1000, true, false, 1000, 1500}};
    for (const Mode &mode : modes) {  // held for good: the first file of the save
        for (int step = 1; step == 1 || mode.failingSteps == 1; step++) {
            SCOPED_TRACE(std::string(mode.name) + " at step " + std::to_string(step));
            fs::remove_all(directory);
            fs::create_directories(directory / "elsewhere");
            std::ofstream(directory / "l.z", std::ios::binary) << keys;
            std::ofstream(directory / "z.l", std::ios::binary) << paths;
            fs::current_path(directory);
            CaptureStartupPaths();
            fs::current_path(directory / "elsewhere");
            fake = FakePlatform();
            slotTable = SlotTable();
            SetSlotPath(0, "E:\\new.exe");
            fake.failAtFileStep = step, fake.failingSteps = mode.failingSteps, fake.failsBusy = mode.busy;
            SaveSettings();
            if (fake.fileSteps < step)
                break;  // every step has failed once
            bool kept = read("l.z") + read("z.l") == keys + paths;
            bool saved = read("l.z") + read("z.l") == "\0\0\0\0\0\0\0" "10 0 0 0 0 0 0 0E:\\new.exe"s;
            EXPECT_TRUE(mode.mustSave ? saved : saved || kept);
            EXPECT_EQ(fake.notices, kept ? std::vector<std::string>{FILE_FAILURE_NOTICE} : std::vector<std::string>{});
            EXPECT_EQ(std::distance(fs::directory_iterator(directory), {}), 3);
            EXPECT_TRUE(fake.pausedMs >= mode.leastPauseMs && fake.pausedMs <= mode.mostPauseMs) << fake.pausedMs;
        }
    }
}

// F2's notice names the keys the main window could not take: F1 to F3 first,
// held by another program since the start and still held, then the slot keys
// in row order, one byte each, '?' for a byte that is not plain ASCII.
TEST(Hotkeys, NoticeAfterF2NamesTheKeysRefused)
{
    const std::string enabled = "以注册热键，如有冲突请取消热键", refused = "\n以下按键注册失败：";
    struct Case { std::vector<int> heldAtStart, heldAtF2; const char *keys; std::string notice; } cases[] = {
        {{}, {}, "ab", enabled},
        {{'B'}, {'B'}, "ab", enabled + refused + "b"},
        {{0x70, 0x72}, {0x70, 0x72}, "ab", enabled + refused + "F1 F3"},
        {{0x70, 0x72}, {0x72}, "a", enabled + refused + "F3"},
        {{0x70, 0x71, 0x72, 'A'}, {0x70, 0x71, 0x72, 'A'}, "a\xb0!a", enabled + refused + "F1 F2 F3 a ? ! a"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        fake = FakePlatform(), slotTable = SlotTable(), hotkeyTable = HotkeyTable();
        fake.keysElsewhere = c.heldAtStart;
        RegisterSystemHotkeys();
        fake.keysElsewhere = c.heldAtF2;
        for (int row = 0; c.keys[row] != 0; row++)
            slotTable.slots[slotRows[row].slot].key = c.keys[row];
        EnableHotkeys();
        EXPECT_EQ(fake.notices, std::vector<std::string>{c.notice});
    }
}
