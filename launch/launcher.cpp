#include "launch/launcher.h"

#include <string.h>

#include "common/open_targets.h"
#include "store/slot_table.h"

static const char PROGRAM_MARK[] = ".exe";
static const char REPEAT_QUESTION[] = "打开此的是应用程序？";

bool IsProgramTarget(const char *path)
{
    return strstr(path, PROGRAM_MARK) != nullptr;
}

// The window gets out of the way only once everything the key stands for has
// opened; a target that did not is named, and the window stays to mend it.
static bool LaunchTargets(WindowRef window, const char *const paths[], int count)
{
    bool opened = OpenTargets(window, paths, count) == count;
    if (opened)
        HideMainWindow(window);
    return opened;
}

bool LaunchTarget(WindowRef window, const char *path)
{
    return LaunchTargets(window, &path, 1);
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
    const char *paths[VISIBLE_SLOT_COUNT];
    int count = FindSlotsByKey(byte, found);
    for (int i = 0; i < count; i++)
        paths[i] = slotTable.slots[found[i]].path;
    if (count > 0)
        LaunchTargets(window, paths, count);
}

// A hotkey is easily pressed twice by accident, and a second copy of a program
// is rarely wanted: after a hotkey started a program, the next press asks. A
// launch that failed started nothing, so the next press does not ask.
void LaunchFromHotkey(WindowRef window, int slot)
{
    Slot &target = slotTable.slots[slot];
    if (!IsProgramTarget(target.path)) {
        LaunchTarget(window, target.path);
    } else if (!target.repeatPending) {
        target.repeatPending = LaunchTarget(window, target.path);
    } else if (ShowNotice(REPEAT_QUESTION, true) == NOTICE_OK) {
        LaunchTarget(window, target.path);
        target.repeatPending = 0;
    }
}
