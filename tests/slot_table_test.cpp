#include <gtest/gtest.h>

#include <string>

#include "store/slot_table.h"
#include "tests/fake_platform.h"

TEST(SlotTable, KeyTakesTheFirstByteAndLeavesOtherSlotsAlone)
{
    struct Case {
        const char *text;
        char key;
        bool cut;
    } cases[] = {
        {"", 0, false},
        {"a", 'a', false},
        {"ab", 'a', true},
        {"A", 'A', false},
        {"7", '7', false},
        {"\xbc\xfc", '\xbc', true},  // a Chinese character: two bytes
    };
    for (const Case &c : cases) {
        ResetFake();
        slotTable.slots[1].key = 'x';
        slotTable.slots[4].key = 'y';
        EXPECT_EQ(SetSlotKey(4, c.text), c.cut) << c.text;
        EXPECT_EQ(slotTable.slots[4].key, c.key) << c.text;
        EXPECT_EQ(slotTable.slots[1].key, 'x');
    }
}

TEST(SlotTable, PathIsCutTo259Bytes)
{
    for (size_t length : {0u, 1u, 258u, 259u, 260u, 300u}) {
        ResetFake();
        std::string text(length, 'p');
        SetSlotPath(2, text.c_str());
        EXPECT_EQ(std::string(slotTable.slots[2].path), text.substr(0, 259)) << length;
    }
}

TEST(SlotTable, FindsEveryVisibleSlotWithTheKeyInRowOrder)
{
    ResetFake();
    const char keys[SLOT_COUNT] = {'a', 0, 'a', 'a', 0, 'b', 'a'};
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        slotTable.slots[slot].key = keys[slot];
    struct Case {
        char key;
        std::vector<int> slots;
    } cases[] = {
        {'a', {0, 2, 6}},  // the reserved slot 3 is never found
        {'b', {5}},
        {0, {1, 4}},
        {'z', {}},
    };
    for (const Case &c : cases) {
        int found[VISIBLE_SLOT_COUNT];
        int count = FindSlotsByKey(c.key, found);
        EXPECT_EQ(std::vector<int>(found, found + count), c.slots) << int(c.key);
    }
}

TEST(SlotTable, MapsHotkeyIdsAndControlIdsToSlots)
{
    struct Case {
        int id;
        int hotkeySlot;
        int controlSlot;
    } cases[] = {
        {0, NO_SLOT, 0},  {1, 0, 1},  {2, 1, 2},  {3, 2, 0},  {4, NO_SLOT, 1},
        {5, 4, 2},        {6, 5, NO_SLOT}, {7, 6, 0}, {8, NO_SLOT, 1}, {9, NO_SLOT, 2},
        {10, NO_SLOT, NO_SLOT}, {12, NO_SLOT, NO_SLOT}, {13, NO_SLOT, 4}, {15, NO_SLOT, 4},
        {16, NO_SLOT, 5}, {19, NO_SLOT, 6}, {21, NO_SLOT, 6}, {22, NO_SLOT, NO_SLOT},
        {-1, NO_SLOT, NO_SLOT},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SlotForHotkey(c.id), c.hotkeySlot) << "hotkey " << c.id;
        EXPECT_EQ(SlotForControl(c.id), c.controlSlot) << "control " << c.id;
    }
}
