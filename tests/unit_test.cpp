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
// The current directory has moved away from the start-up directory, as the
// file dialog may move it.
TEST(SettingsFiles, SaveThatFailsAtAnyStepKeepsTheOldPair)
{
    namespace fs = std::filesystem;
    const fs::path directory = fs::temp_directory_path() / "jumpdeck-failing-save";
    const std::string keys = "ab\0\0\0\0\0 8 3 0 0 0 0 0 1"s, paths = "C:\\x.txtD:\\";
    auto read = [&](const char *name) {
        std::ifstream file(directory / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    for (int step = 1;; step++) {
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
        fake.failAtFileStep = step;
        SaveSettings();
        if (fake.fileSteps < step)
            break;  // every step has failed once
        bool kept = read("l.z") + read("z.l") == keys + paths;
        EXPECT_EQ(fake.events, kept ? "notice what the fuke\n" : "") << "step " << step;
        EXPECT_TRUE(kept || read("l.z") + read("z.l") == "\0\0\0\0\0\0\0" "10 0 0 0 0 0 0 0E:\\new.exe"s) << "step " << step;
        EXPECT_EQ(std::distance(fs::directory_iterator(directory), {}), 3) << "step " << step;
    }
}

// A second F2 keeps the keys it holds and moves a key that was edited
// meanwhile; F3 frees them all and switches off. On Windows, unlike Wine, a
// second key registered under an id that holds one is held beside it.
TEST(Hotkeys, SecondEnableMovesAnEditedKeyAndDisableFreesAll)
{
    fake = FakePlatform();
    slotTable = SlotTable();
    slotTable.slots[0].key = 'a';
    slotTable.slots[1].key = 'b';
    EnableHotkeys();
    slotTable.slots[0].key = 'c';
    EnableHotkeys();
    EXPECT_EQ(fake.hotkeys, (std::vector<std::pair<int, int>>{{2, 'B'}, {1, 'C'}}));
    DisableHotkeys();
    EXPECT_TRUE(fake.hotkeys.empty());
    EXPECT_EQ(slotTable.hotkeysRegistered, 0);
}
