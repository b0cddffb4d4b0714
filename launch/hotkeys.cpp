#include "launch/hotkeys.h"

#include <string.h>

#include "common/platform.h"
#include "store/slot_table.h"

static const char ENABLED_NOTICE[] = "以注册热键，如有冲突请取消热键";
static const char REFUSED_KEYS_LINE[] = "\n以下按键注册失败：";
static const char DISABLED_NOTICE[] = "以取消热键";

enum { KEY_F1 = 0x70, KEY_F2 = 0x71, KEY_F3 = 0x72 };

// The key code each slot hotkey id holds at the moment, 0 for none, so that a
// second F2 neither reports our own keys as taken nor leaves a stale key behind.
static int heldKeyCodes[HOTKEY_DISABLE + 1];

int KeyCodeForKey(char key)
{
    if (key >= 'a' && key <= 'z')
        return key - 'a' + 'A';
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return key;
    return 0;
}

static void ReleaseSlotKey(int id)
{
    UnregisterKey(mainWindow, id);
    heldKeyCodes[id] = 0;
}

int RegisterSlotHotkeys(char refused[])
{
    int refusedCount = 0;
    for (const SlotRow &row : slotRows) {
        char key = slotTable.slots[row.slot].key;
        int code = KeyCodeForKey(key);
        int id = row.hotkeyId;
        if (code != 0 && code == heldKeyCodes[id])
            continue;
        if (heldKeyCodes[id] != 0)
            ReleaseSlotKey(id);
        if (code != 0 && RegisterKey(mainWindow, id, code, KEY_NO_REPEAT))
            heldKeyCodes[id] = code;
        else if (key != 0)
            refused[refusedCount++] = key;
    }
    return refusedCount;
}

void UnregisterSlotHotkeys()
{
    for (const SlotRow &row : slotRows)
        ReleaseSlotKey(row.hotkeyId);
}

// The notice says which keys did not register, one character each; a byte
// that is not plain ASCII shows as '?', since alone it is half a character.
void EnableHotkeys()
{
    char refused[VISIBLE_SLOT_COUNT];
    int refusedCount = RegisterSlotHotkeys(refused);
    slotTable.hotkeysRegistered = 1;

    char text[sizeof ENABLED_NOTICE + sizeof REFUSED_KEYS_LINE + 2 * VISIBLE_SLOT_COUNT];
    strcpy(text, ENABLED_NOTICE);
    if (refusedCount > 0) {
        strcat(text, REFUSED_KEYS_LINE);
        char *end = text + strlen(text);
        for (int i = 0; i < refusedCount; i++) {
            unsigned char key = (unsigned char)refused[i];
            if (i > 0)
                *end++ = ' ';
            *end++ = key > ' ' && key < 0x7F ? (char)key : '?';
        }
        *end = 0;
    }
    ShowNotice(text, false);
}

void DisableHotkeys()
{
    UnregisterSlotHotkeys();
    slotTable.hotkeysRegistered = 0;
    ShowNotice(DISABLED_NOTICE, false);
}

// Every hotkey is registered without auto-repeat: a key held down launches its
// target, or shows its notice, once.
void RegisterSystemHotkeys()
{
    RegisterKey(mainWindow, HOTKEY_SHOW_WINDOW, KEY_F1, KEY_NO_REPEAT);
    RegisterKey(mainWindow, HOTKEY_ENABLE, KEY_F2, KEY_NO_REPEAT);
    RegisterKey(mainWindow, HOTKEY_DISABLE, KEY_F3, KEY_NO_REPEAT);
}
