#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launcher.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

using Events = std::vector<std::string>;

static void Bind(int slot, char key, const char *path)
{
    slotTable.slots[slot].key = key;
    SetSlotPath(slot, path);
}

TEST(Launcher, TypedCharacterLaunchesEveryMatchingSlotInRowOrder)
{
    struct Case {
        const char *name;
        unsigned int character;
        Events events;
    } cases[] = {
        {"one slot", 'c', {"shell C:\\c.txt", "hide"}},
        {"same key twice, lower slot first", 'a', {"shell C:\\a0.exe", "hide", "shell C:\\a6", "hide"}},
        {"nothing bound", 'z', {}},
        {"high bits of the code ignored", 0x100 + 'c', {"shell C:\\c.txt", "hide"}},
        {"low byte 0 matches every keyless slot", 0, {"shell ", "hide", "shell C:\\nokey", "hide", "shell ", "hide"}},
        {"reserved slot never launches", 'r', {}},
    };
    for (const Case &c : cases) {
        ResetFake();
        Bind(0, 'a', "C:\\a0.exe");
        Bind(1, 'c', "C:\\c.txt");
        Bind(2, 0, "");
        Bind(3, 'r', "C:\\reserved");
        Bind(4, 0, "C:\\nokey");
        Bind(5, 0, "");
        Bind(6, 'a', "C:\\a6");
        LaunchTyped(nullptr, c.character);
        EXPECT_EQ(fake.events, c.events) << c.name;
        for (const Slot &slot : slotTable.slots)
            EXPECT_EQ(slot.repeatPending, 0) << c.name;
    }
}

TEST(Launcher, ProgramTargetIsAByteExactDotExe)
{
    struct Case {
        const char *path;
        bool program;
    } cases[] = {
        {"C:\\a.exe", true},  {"C:\\a.exe.txt", true}, {"C:\\a.EXE", false},
        {"C:\\a.ex", false},  {"C:\\aexe", false},     {".exe", true},
        {"", false},          {"C:\\a. exe", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsProgramTarget(c.path), c.program) << c.path;
}

// Hotkey presses for a program alternate: launch, ask, launch, ask...; a
// cancelled question launches nothing and the next press asks again.
TEST(Launcher, HotkeyRepeatGuardForPrograms)
{
    ResetFake();
    Bind(4, 'p', "C:\\p.exe");
    const Events launch = {"shell C:\\p.exe", "hide"};
    const Events ask = {"ask 打开此的是应用程序？"};
    const Events askThenLaunch = {"ask 打开此的是应用程序？", "shell C:\\p.exe", "hide"};
    struct Press {
        const char *how;
        int answer;
        const Events *events;
        int pendingAfter;
    } presses[] = {
        {"hotkey", 0, &launch, 1},
        {"hotkey", NOTICE_CANCEL, &ask, 1},
        {"typed", 0, &launch, 1},  // typed launches neither ask nor touch the flag
        {"hotkey", NOTICE_CANCEL, &ask, 1},
        {"hotkey", NOTICE_OK, &askThenLaunch, 0},
        {"hotkey", 0, &launch, 1},
        {"typed", 0, &launch, 1},
        {"hotkey", NOTICE_OK, &askThenLaunch, 0},
    };
    int step = 0;
    for (const Press &press : presses) {
        fake.events.clear();
        if (press.answer != 0)
            fake.answers.push_back(press.answer);
        if (press.how == std::string("typed"))
            LaunchTyped(nullptr, 'p');
        else
            LaunchFromHotkey(nullptr, 4);
        EXPECT_EQ(fake.events, *press.events) << "press " << step;
        EXPECT_EQ(slotTable.slots[4].repeatPending, press.pendingAfter) << "press " << step;
        EXPECT_TRUE(fake.answers.empty()) << "press " << step;
        step++;
    }
}

TEST(Launcher, HotkeyForOtherTargetsLaunchesEveryTime)
{
    for (const char *path : {"C:\\doc.txt", "", "C:\\App.EXE", "D:\\folder"}) {
        ResetFake();
        Bind(0, 'd', path);
        for (int press = 0; press < 3; press++)
            LaunchFromHotkey(nullptr, 0);
        std::string shell = "shell " + std::string(path);
        EXPECT_EQ(fake.events, (Events{shell, "hide", shell, "hide", shell, "hide"})) << path;
        EXPECT_EQ(slotTable.slots[0].repeatPending, 0) << path;
    }
}
