// The process-wide table of shortcut slots: the program's whole model.
#pragma once

enum {
    SLOT_COUNT = 7,          // slots 0 to 6, in file order
    RESERVED_SLOT = 3,       // loaded and saved, never shown or launched
    VISIBLE_SLOT_COUNT = 6,
    PATH_SIZE = 260,         // 259 bytes of path and the terminating zero
    NO_SLOT = -1,
};

struct Slot {
    char key;                // launch character; 0 when the slot has none
    char path[PATH_SIZE];
    int length;              // path length as read from the key file
    unsigned char repeatPending;  // a hotkey just started this program target
};

struct SlotTable {
    Slot slots[SLOT_COUNT];
    int hotkeysRegistered;   // the hotkey switch; any non-zero value is on
};

extern SlotTable slotTable;

// Where each visible slot lives in the window and among the hotkeys.
struct SlotRow {
    int slot;
    int row;             // 1 to 6, top to bottom
    int top;             // y of the row's controls
    int keyField;        // control ids
    int pathField;
    int browseButton;
    int hotkeyId;
};

// The visible slots in the order 0, 1, 2, 4, 5, 6.
extern const SlotRow slotRows[VISIBLE_SLOT_COUNT];

// The key becomes the text's first byte, or 0 when the text is empty or begins
// with half a character. Returns true when the field must be set to the key
// alone.
bool SetSlotKey(int slot, const char *text);
void SetSlotPath(int slot, const char *text);

// Fills found with the visible slots whose key is key, in row order;
// returns how many there are (none for 0, which no slot has as a key).
int FindSlotsByKey(char key, int found[VISIBLE_SLOT_COUNT]);

int SlotForHotkey(int id);
int SlotForControl(int id);
const SlotRow *RowOfSlot(int slot);
