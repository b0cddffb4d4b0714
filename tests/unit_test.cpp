// The hotkeys through the recording platform, for what the end-to-end tests
// cannot make happen under Wine: keys held by other programs in any mix.
// Everything a user types and pastes is fuzzed (tests/fuzz/user_input_fuzz.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/hotkeys.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

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
