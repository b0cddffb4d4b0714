// System-wide hotkeys, all on the main window and without modifier keys:
// F1 shows the window, F2 and F3 switch the slot hotkeys on and off, and while
// they are on each visible slot's character launches it from anywhere.
#pragma once

#include "common/platform.h"

enum {
    HOTKEY_SHOW_WINDOW = 0,  // F1
    HOTKEY_ENABLE = 8,       // F2
    HOTKEY_DISABLE = 9,      // F3
    // Slot hotkeys are the slot number plus one: 1, 2, 3, 5, 6, 7.
};

// What the system holds for the main window: the key code under each hotkey
// id, 0 for none. F1 to F3 stay 0 while another program holds them.
struct HotkeyTable {
    int heldKeyCodes[HOTKEY_DISABLE + 1];
};

extern HotkeyTable hotkeyTable;

// The virtual-key code a slot key registers as: its letter key for a-z and
// A-Z, its digit key for 0-9; 0 (nothing to register) for any other byte.
int KeyCodeForKey(char key);

// Registers the visible slots' keys. Returns how many keys the system refused
// and writes them, in row order, to refused (room for six).
int RegisterSlotHotkeys(char refused[]);
void UnregisterSlotHotkeys();

// F2 and the button "注册热键F2"; F3 and the button "取消热键F3". Each keeps
// the switch in the slot table and tells the user.
void EnableHotkeys();
void DisableHotkeys();

// F1, F2 and F3, when the main window exists; F2 calls it again for those
// another program held.
void RegisterSystemHotkeys();

// For WM_HOTKEY: the action of the hotkey id.
void HandleHotkey(WindowRef window, int id);
