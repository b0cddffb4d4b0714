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

// The gaps matter most: F1, F2, F3, the reserved slot's id 4, the bottom
// buttons and the never-created controls 10 to 12 belong to no slot.
TEST(SlotTable, MapsHotkeyIdsAndControlIdsToSlots)
{
    for (int id : {-1, 0, 4, 8, 9, 10})
        EXPECT_EQ(SlotForHotkey(id), NO_SLOT) << "hotkey " << id;
    for (int id : {-1, 6, 10, 11, 12, 22, 23, 24, 25})
        EXPECT_EQ(SlotForControl(id), NO_SLOT) << "control " << id;
    const int hotkeySlots[][2] = {{1, 0}, {3, 2}, {5, 4}, {7, 6}};
    for (const auto &pair : hotkeySlots)
        EXPECT_EQ(SlotForHotkey(pair[0]), pair[1]) << "hotkey " << pair[0];
    const int controlSlots[][2] = {{0, 0}, {3, 0}, {7, 0}, {9, 2}, {13, 4}, {14, 4}, {15, 4}, {21, 6}};
    for (const auto &pair : controlSlots)
        EXPECT_EQ(SlotForControl(pair[0]), pair[1]) << "control " << pair[0];
}
