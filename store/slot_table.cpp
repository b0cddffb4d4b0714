#include "store/slot_table.h"

#include <string.h>

#include "common/platform.h"

SlotTable slotTable;

const SlotRow slotRows[VISIBLE_SLOT_COUNT] = {
    // slot row top  key path browse hotkey
    {0, 1, 20, 0, 3, 7, 1},
    {1, 2, 55, 1, 4, 8, 2},
    {2, 3, 90, 2, 5, 9, 3},
    {4, 4, 160, 13, 14, 15, 5},
    {5, 5, 195, 16, 17, 18, 6},
    {6, 6, 230, 19, 20, 21, 7},
};

// A key is one byte. A Chinese character cannot be one: half of it would show
// as '?' and quietly become that key, so the slot gets none and the field is
// emptied instead.
bool SetSlotKey(int slot, const char *text)
{
    bool halfCharacter = IsLeadByte(text[0]);
    slotTable.slots[slot].key = halfCharacter ? 0 : text[0];
    return text[0] != 0 && (halfCharacter || text[1] != 0);
}

void SetSlotPath(int slot, const char *text)
{
    char *path = slotTable.slots[slot].path;
    size_t length = strnlen(text, PATH_SIZE - 1);
    memcpy(path, text, length);
    path[length] = 0;
}

// A slot without a key is found by no byte: Ctrl+@ types the character 0.
int FindSlotsByKey(char key, int found[VISIBLE_SLOT_COUNT])
{
    int count = 0;
    for (const SlotRow &row : slotRows) {
        if (key != 0 && slotTable.slots[row.slot].key == key)
            found[count++] = row.slot;
    }
    return count;
}

int SlotForHotkey(int id)
{
    for (const SlotRow &row : slotRows) {
        if (row.hotkeyId == id)
            return row.slot;
    }
    return NO_SLOT;
}

int SlotForControl(int id)
{
    for (const SlotRow &row : slotRows) {
        if (row.keyField == id || row.pathField == id || row.browseButton == id)
            return row.slot;
    }
    return NO_SLOT;
}

const SlotRow *RowOfSlot(int slot)
{
    for (const SlotRow &row : slotRows) {
        if (row.slot == slot)
            return &row;
    }
    return nullptr;
}
