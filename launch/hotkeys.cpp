#include "launch/hotkeys.h"

#include <string.h>

#include "launch/launcher.h"
#include "store/slot_table.h"

static const char ENABLED_NOTICE[] = "以注册热键，如有冲突请取消热键";
static const char REFUSED_KEYS_LINE[] = "\n以下按键注册失败：";
static const char DISABLED_NOTICE[] = "以取消热键";

struct SystemKey {
    int id;
    int code;
    char name[3];
};

static const SystemKey SYSTEM_KEYS[] = {
    {HOTKEY_SHOW_WINDOW, 0x70, "F1"},
    {HOTKEY_ENABLE, 0x71, "F2"},
    {HOTKEY_DISABLE, 0x72, "F3"},
};

// So that a second F2 neither reports our own keys as taken nor leaves a
// stale key behind, and so that F2 can name the function keys it lacks.
HotkeyTable hotkeyTable;

int KeyCodeForKey(char key)
{
    if (key >= 'a' && key <= 'z')
        return key - 'a' + 'A';
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return key;
    return 0;
}

static void ReleaseKey(int id)
{
    UnregisterKey(mainWindow, id);
    hotkeyTable.heldKeyCodes[id] = 0;
}

// Every hotkey is registered without auto-repeat: a key held down launches its
// target, or shows its notice, once. Returns whether id now holds code.
static bool HoldKey(int id, int code)
{
    if (code != 0 && code == hotkeyTable.heldKeyCodes[id])
        return true;
    if (code == 0 || !RegisterKey(mainWindow, id, code, KEY_NO_REPEAT))
        return false;
    hotkeyTable.heldKeyCodes[id] = code;
    return true;
}

// Keys edited since they were registered are let go of first, all of them, so
// that a key moved to another row is free for that row, whichever comes first.
int RegisterSlotHotkeys(char refused[])
{
    for (const SlotRow &row : slotRows) {
        if (hotkeyTable.heldKeyCodes[row.hotkeyId] != KeyCodeForKey(slotTable.slots[row.slot].key))
            ReleaseKey(row.hotkeyId);
    }
    int refusedCount = 0;
    for (const SlotRow &row : slotRows) {
        char key = slotTable.slots[row.slot].key;
        if (!HoldKey(row.hotkeyId, KeyCodeForKey(key)) && key != 0)
            refused[refusedCount++] = key;
    }
    return refusedCount;
}

void UnregisterSlotHotkeys()
{
    for (const SlotRow &row : slotRows)
        ReleaseKey(row.hotkeyId);
}

// Names one more refused key in the notice: the first after the line that
// introduces them, the others after a space.
static void AddRefusedName(char *text, const char *name)
{
    strcat(text, strchr(text, '\n') == nullptr ? REFUSED_KEYS_LINE : " ");
    strcat(text, name);
}

// The notice says which keys did not register: the function keys another
// program holds (screenshot tools take F1 and F3), tried again here since that
// program may have ended, then the slot keys, one character each; a byte that
// is not plain ASCII shows as '?', since alone it is half a character.
void EnableHotkeys()
{
    RegisterSystemHotkeys();
    char refused[VISIBLE_SLOT_COUNT];
    int refusedCount = RegisterSlotHotkeys(refused);
    slotTable.hotkeysRegistered = 1;

    char text[sizeof ENABLED_NOTICE + sizeof REFUSED_KEYS_LINE + sizeof " F1 F2 F3" + VISIBLE_SLOT_COUNT * sizeof " x"];
    strcpy(text, ENABLED_NOTICE);
    for (const SystemKey &key : SYSTEM_KEYS) {
        if (hotkeyTable.heldKeyCodes[key.id] != key.code)
            AddRefusedName(text, key.name);
    }
    for (int i = 0; i < refusedCount; i++) {
        unsigned char key = (unsigned char)refused[i];
        const char name[2] = {key > ' ' && key < 0x7F ? (char)key : '?', 0};
        AddRefusedName(text, name);
    }
    ShowNotice(text, false);
}

void DisableHotkeys()
{
    UnregisterSlotHotkeys();
    slotTable.hotkeysRegistered = 0;
    ShowNotice(DISABLED_NOTICE, false);
}

// A function key another program holds stays unheld; F2 tries it again.
void RegisterSystemHotkeys()
{
    for (const SystemKey &key : SYSTEM_KEYS)
        HoldKey(key.id, key.code);
}

// A key edited while hotkeys are on keeps the key it was registered with
// until F2 or F3; meanwhile that key launches nothing, rather than a row that
// is now bound to another character.
void HandleHotkey(WindowRef window, int id)
{
    switch (id) {
    case HOTKEY_SHOW_WINDOW: ShowMainWindow(window); break;
    case HOTKEY_ENABLE: EnableHotkeys(); break;
    case HOTKEY_DISABLE: DisableHotkeys(); break;
    default: {
        int slot = SlotForHotkey(id);
        if (slot != NO_SLOT && KeyCodeForKey(slotTable.slots[slot].key) == hotkeyTable.heldKeyCodes[id])
            LaunchFromHotkey(window, slot);
        break;
    }
    }
}
