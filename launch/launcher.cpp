#include "launch/launcher.h"

#include <string.h>

#include "store/slot_table.h"

static const char PROGRAM_MARK[] = ".exe";
static const char REPEAT_QUESTION[] = "打开此的是应用程序？";

bool IsProgramTarget(const char *path)
{
    return strstr(path, PROGRAM_MARK) != nullptr;
}

void LaunchTarget(WindowRef window, const char *path)
{
    OpenWithShell(window, path);
    HideMainWindow(window);
}

TypedText typedText;

// A trail byte can be any letter's, and would launch that letter's slot.
void LaunchTyped(WindowRef window, unsigned int character)
{
    char byte = (char)(character & 0xFF);
    bool trailByte = typedText.trailByteNext;
    typedText.trailByteNext = !trailByte && IsLeadByte(byte);
    if (trailByte || typedText.trailByteNext)
        return;
    int found[VISIBLE_SLOT_COUNT];
    int count = FindSlotsByKey(byte, found);
    for (int i = 0; i < count; i++)
        LaunchTarget(window, slotTable.slots[found[i]].path);
}

// A hotkey is easily pressed twice by accident, and a second copy of a program
// is rarely wanted: after a hotkey started a program, the next press asks.
void LaunchFromHotkey(WindowRef window, int slot)
{
    Slot &target = slotTable.slots[slot];
    if (!IsProgramTarget(target.path)) {
        LaunchTarget(window, target.path);
    } else if (!target.repeatPending) {
        LaunchTarget(window, target.path);
        target.repeatPending = 1;
    } else if (ShowNotice(REPEAT_QUESTION, true) == NOTICE_OK) {
        LaunchTarget(window, target.path);
        target.repeatPending = 0;
    }
}
