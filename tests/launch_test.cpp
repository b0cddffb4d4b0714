// The launcher's repeat guard and the hotkey switch, through the recording platform.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "launch/hotkeys.h"
#include "launch/launcher.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

using namespace std::string_literals;
using Held = std::vector<std::pair<int, int>>;

static const std::string ENABLED = "notice 以注册热键，如有冲突请取消热键";

// Hotkey presses of a program alternate launch, ask, launch...; a cancelled
// question launches nothing and the next press asks again. Typed launches
// never ask and leave the guard as it was.
TEST(Launcher, RepeatGuardOfAProgram)
{
    ResetFake();
    slotTable.slots[4].key = 'p';
    SetSlotPath(4, "C:\\p.exe");
    const std::string launch = "shell C:\\p.exe\nhide\n", ask = "ask 打开此的是应用程序？\n";
    struct Press { bool hotkey; const char *answer; std::string events; } presses[] = {
        {true, "", launch}, {true, "c", ask}, {false, "", launch}, {true, "c", ask}, {true, "o", ask + launch},
        {true, "", launch}, {false, "", launch}, {true, "o", ask + launch},
    };
    for (const Press &press : presses) {
        fake.events.clear();
        fake.answers = press.answer;
        press.hotkey ? LaunchFromHotkey(nullptr, 4) : LaunchTyped(nullptr, 'p');
        EXPECT_EQ(fake.events, press.events) << "press " << &press - presses;
    }
}

// F2 registers each visible slot's key and names, in its notice, the keys that
// did not register; the switch is on whatever happened.
TEST(Hotkeys, EnableNamesTheKeysThatDidNotRegister)
{
    struct Case { std::string keys; int heldElsewhere; std::string refused; } cases[] = {
        {"aB7r\0z\0"s, 0, ""},             // letters, capitals, digits; the reserved slot has none
        {"ab\0\0c\0\0"s, 'B', "b"},        // another program holds B
        {"q\0q\0\0Qw"s, 0, "q Q"},         // the same key twice: the lower slot has it
        {"%\xbc/x,.-", 0, "% ? / , . -"},  // no hotkey can be these; half a Chinese character shows as ?
    };
    for (const Case &c : cases) {
        UnregisterSlotHotkeys();
        ResetFake();
        for (int slot = 0; slot < SLOT_COUNT; slot++)
            slotTable.slots[slot].key = c.keys[slot];
        fake.heldElsewhere = c.heldElsewhere;
        EnableHotkeys();
        EXPECT_EQ(fake.events, ENABLED + (c.refused.empty() ? "" : "\n以下按键注册失败：" + c.refused) + "\n");
        EXPECT_EQ(slotTable.hotkeysRegistered, 1);
    }
}

// A second F2 keeps the keys it holds and moves a key that was edited
// meanwhile; F3 frees them all and switches off.
TEST(Hotkeys, SecondEnableMovesAnEditedKeyAndDisableFreesAll)
{
    UnregisterSlotHotkeys();
    ResetFake();
    slotTable.slots[0].key = 'a';
    slotTable.slots[1].key = 'b';
    EnableHotkeys();
    slotTable.slots[0].key = 'c';
    EnableHotkeys();
    EXPECT_EQ(fake.hotkeys, (Held{{2, 'B'}, {1, 'C'}}));
    EXPECT_EQ(fake.events, ENABLED + "\n" + ENABLED + "\n");
    DisableHotkeys();
    EXPECT_EQ(fake.hotkeys, Held{});
    EXPECT_EQ(slotTable.hotkeysRegistered, 0);
}
