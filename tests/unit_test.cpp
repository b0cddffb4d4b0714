// The store and the hotkeys through the recording platform, for what the
// end-to-end tests cannot make happen under Wine: a file operation of a save
// failing at any step, and hotkeys held as Windows holds them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
            EXPECT_EQ(fake.events, kept ? "notice what the fuke\n" : "");
            EXPECT_EQ(std::distance(fs::directory_iterator(directory), {}), 3);
            EXPECT_TRUE(fake.pausedMs >= mode.leastPauseMs && fake.pausedMs <= mode.mostPauseMs) << fake.pausedMs;
        }
    }
}

// A second F2 keeps the keys it holds and moves a key that was edited
// meanwhile; F3 frees them all and switches off. On Windows, unlike Wine, a
// second key registered under an id that holds one is held beside it. Every
// key, F1 to F3 included, is held without auto-repeat: on Windows a key held
// down would otherwise launch again at every repeat.
TEST(Hotkeys, SecondEnableMovesAnEditedKeyAndDisableFreesAll)
{
    fake = FakePlatform();
    slotTable = SlotTable();
    slotTable.slots[0].key = 'a';
    slotTable.slots[1].key = 'b';
    EnableHotkeys();
    slotTable.slots[0].key = 'c';
    EnableHotkeys();
    RegisterSystemHotkeys();
    EXPECT_EQ(fake.hotkeys, (std::vector<std::array<int, 3>>{{2, 'B', KEY_NO_REPEAT}, {1, 'C', KEY_NO_REPEAT},
        {0, 0x70, KEY_NO_REPEAT}, {8, 0x71, KEY_NO_REPEAT}, {9, 0x72, KEY_NO_REPEAT}}));
    DisableHotkeys();
    EXPECT_EQ(fake.hotkeys.size(), 3u);
    EXPECT_EQ(slotTable.hotkeysRegistered, 0);
}
