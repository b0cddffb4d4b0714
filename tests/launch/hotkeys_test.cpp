#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/hotkeys.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

using Events = std::vector<std::string>;

static const std::string ENABLED = "notice 以注册热键，如有冲突请取消热键";

// Starts from nothing registered, whatever an earlier test left.
static void Reset()
{
    UnregisterSlotHotkeys();
    ResetFake();
}

static void SetKeys(const char keys[SLOT_COUNT])
{
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        slotTable.slots[slot].key = keys[slot];
}

TEST(Hotkeys, KeyCodes)
{
    struct Case {
        char key;
        int code;
    } cases[] = {
        {'a', 0x41}, {'m', 0x4D}, {'z', 0x5A}, {'A', 0x41}, {'Z', 0x5A}, {'0', 0x30}, {'9', 0x39},
        {0, 0},      {'@', 0},    {'[', 0},    {'`', 0},    {'{', 0},    {'/', 0},    {':', 0},
        {' ', 0},    {'%', 0},    {'\x80', 0}, {'\xbc', 0}, {'\xff', 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeyCodeForKey(c.key), c.code) << int((unsigned char)c.key);
}

TEST(Hotkeys, EnableRegistersEachVisibleSlotAndNamesTheRefusedKeys)
{
    struct Case {
        const char *name;
        char keys[SLOT_COUNT];
        std::vector<int> heldElsewhere;
        Events registrations;
        std::string notice;
    } cases[] = {
        {"letters, capitals and digits", {'a', 'B', '7', 'r', 0, 'z', 0}, {},
         {"register 1 65", "register 2 66", "register 3 55", "register 6 90"}, ENABLED},
        {"all empty", {0, 0, 0, 0, 0, 0, 0}, {}, {}, ENABLED},
        {"a key another program holds", {'a', 'b', 0, 0, 'c', 0, 0}, {0x42},
         {"register 1 65", "refused 2 66", "register 5 67"}, ENABLED + "\n以下按键注册失败：b"},
        {"the same key twice: the lower slot has it", {'q', 0, 'q', 0, 0, 'Q', 'w'}, {},
         {"register 1 81", "refused 3 81", "refused 6 81", "register 7 87"},
         ENABLED + "\n以下按键注册失败：q Q"},
        {"keys no hotkey can be", {'%', 0, '\xbc', 0, ' ', 0, 'k'}, {}, {"register 7 75"},
         ENABLED + "\n以下按键注册失败：% ? ?"},
    };
    for (const Case &c : cases) {
        Reset();
        SetKeys(c.keys);
        fake.heldElsewhere = c.heldElsewhere;
        EnableHotkeys();
        Events expected = c.registrations;
        expected.push_back(c.notice);
        EXPECT_EQ(fake.events, expected) << c.name;
        EXPECT_EQ(slotTable.hotkeysRegistered, 1) << c.name;
    }
}

TEST(Hotkeys, SwitchingOnAndOffAgain)
{
    Reset();
    const char keys[SLOT_COUNT] = {'a', 'b', 0, 0, 0, 0, 0};
    SetKeys(keys);
    struct Step {
        const char *name;
        void (*action)();
        Events events;
        int switchAfter;
        std::vector<std::pair<int, int>> held;
    } steps[] = {
        {"F2", EnableHotkeys, {"register 1 65", "register 2 66", ENABLED}, 1, {{1, 65}, {2, 66}}},
        {"F2 again: our own keys are no failure", EnableHotkeys, {ENABLED}, 1, {{1, 65}, {2, 66}}},
        {"slot 0 now c: F2 moves its hotkey", [] { slotTable.slots[0].key = 'c'; EnableHotkeys(); },
         {"unregister 1", "register 1 67", ENABLED}, 1, {{2, 66}, {1, 67}}},
        {"F3", DisableHotkeys,
         {"unregister 1", "unregister 2", "unregister 3", "unregister 5", "unregister 6", "unregister 7",
          "notice 以取消热键"}, 0, {}},
        {"F3 with nothing registered", DisableHotkeys,
         {"unregister 1", "unregister 2", "unregister 3", "unregister 5", "unregister 6", "unregister 7",
          "notice 以取消热键"}, 0, {}},
    };
    for (const Step &step : steps) {
        fake.events.clear();
        step.action();
        EXPECT_EQ(fake.events, step.events) << step.name;
        EXPECT_EQ(slotTable.hotkeysRegistered, step.switchAfter) << step.name;
        EXPECT_EQ(fake.hotkeys, step.held) << step.name;
    }
}

TEST(Hotkeys, SilentRegistrationAndSystemKeys)
{
    Reset();
    const char keys[SLOT_COUNT] = {'x', 0, 0, 0, 'y', 0, 0};
    SetKeys(keys);
    char refused[VISIBLE_SLOT_COUNT];
    RegisterSystemHotkeys();
    EXPECT_EQ(RegisterSlotHotkeys(refused), 0);
    EXPECT_EQ(fake.events, (Events{"register 0 112", "register 8 113", "register 9 114", "register 1 88",
                                   "register 5 89"}));
    EXPECT_EQ(slotTable.hotkeysRegistered, 0);  // only F2 and F3 change the switch
}
