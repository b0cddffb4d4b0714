#include "ui/main_window.h"

#include <commdlg.h>
#include <imm.h>
#include <string.h>

#include "launch/hotkeys.h"
#include "launch/launcher.h"
#include "store/manual.h"
#include "store/settings_files.h"
#include "ui/layout.h"

// One entry, all files; the literal's own terminator ends the list.
static const char BROWSE_FILTER[] = "所有文件(*.*)\0*.*\0";
static const char UNKEPT_NAME_NOTICE[] =
    "所选文件的名字里有无法保存的字符，不能绑定。\n可以给它建一个名字简单的快捷方式，再绑定这个快捷方式。";

// The file dialog's DLL brings the common controls and more with it. Linked
// in, it would be loaded at every start for a dialog most runs never open; it
// is loaded from the system folder the first time a browse button is pressed.
typedef BOOL(WINAPI *OpenFileDialog)(OPENFILENAMEA *);

static OpenFileDialog LoadOpenFileDialog()
{
    HMODULE dialogs = LoadLibraryExA("comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (dialogs == nullptr)
        return nullptr;
    return (OpenFileDialog)(void *)GetProcAddress(dialogs, "GetOpenFileNameA");
}

// Each dialog starts with an empty name and passes on nothing unless the user
// chose a file. A chosen shortcut stays a shortcut: the dialog would hand back
// its target instead, and the shortcut's arguments and start-in folder, or its
// short path, would be lost. On Windows the dialog moves the current directory
// to the folder browsed last, which would stay in use all day (it could not be
// deleted, a USB stick not ejected) and become the start-in folder of every
// later launch: it is put back. A character of the file's name that the code
// page lacks comes back as '?', which no file name holds: such a path would
// never open, so it never reaches the field.
void BrowseForFile(HWND pathField)
{
    OpenFileDialog getOpenFileName = LoadOpenFileDialog();
    if (getOpenFileName == nullptr)
        return;
    char chosen[PATH_SIZE] = "";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = BROWSE_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS;
    char directory[STARTUP_PATH_SIZE];
    DWORD directoryLength = GetCurrentDirectoryA(sizeof directory, directory);
    BOOL chose = getOpenFileName(&dialog);
    if (directoryLength > 0 && directoryLength < sizeof directory)
        SetCurrentDirectoryA(directory);
    if (chose && strchr(chosen, '?') != nullptr)
        ShowNotice(UNKEPT_NAME_NOTICE, false);
    else if (chose)
        SetWindowTextA(pathField, chosen);  // its EN_UPDATE stores the path
}

// A letter typed into the window itself or into a key field is a key, not
// text. With an input context, a Chinese input method in Chinese mode takes it
// as the start of a pinyin syllable and the window never sees it; without one,
// keys arrive as they are. The path fields keep theirs: paths are often Chinese.
void TakeKeysPastInputMethod(HWND window)
{
    ImmAssociateContextEx(window, nullptr, 0);
    for (const SlotRow &row : slotRows)
        ImmAssociateContextEx(controlTable.controls[row.keyField], nullptr, 0);
}

// A key field holds one byte. Other text is cut to the key the slot took,
// which sends EN_UPDATE again, now with that byte alone or nothing.
static void CopyKeyField(HWND field, int slot)
{
    char text[3];  // enough to tell one byte from more
    GetWindowTextA(field, text, sizeof text);
    if (SetSlotKey(slot, text)) {
        char kept[2] = {slotTable.slots[slot].key, 0};
        SetWindowTextA(field, kept);
    }
}

static void CopyPathField(HWND field, int slot)
{
    char text[PATH_SIZE];
    GetWindowTextA(field, text, sizeof text);
    SetSlotPath(slot, text);
}

static void SaveFromWindow(HWND window)
{
    SetFocus(window);
    SaveSettings();
}

// The fields are the editing surface of the slot table: every change of a
// field's text is copied into its slot at once.
static void SlotCommand(int id, int code, int slot)
{
    const SlotRow *row = RowOfSlot(slot);
    if (id == row->keyField && code == EN_UPDATE)
        CopyKeyField(controlTable.controls[id], slot);
    else if (id == row->pathField && code == EN_UPDATE)
        CopyPathField(controlTable.controls[id], slot);
    else if (id == row->browseButton)
        BrowseForFile(controlTable.controls[row->pathField]);
}

LRESULT OnCommand(HWND window, WPARAM wParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case IDC_SAVE: SaveFromWindow(window); break;
    case IDC_MANUAL: OpenManual(window); break;
    case IDC_ENABLE_HOTKEYS: EnableHotkeys(); break;
    case IDC_DISABLE_HOTKEYS: DisableHotkeys(); break;
    default: {
        int slot = SlotForControl(id);
        if (slot != NO_SLOT)
            SlotCommand(id, code, slot);
        break;
    }
    }
    return 0;
}

LRESULT OnChar(HWND window, WPARAM character)
{
    LaunchTyped(window, (unsigned int)character);
    return 0;
}

// A click on the background takes the focus back from a field, so typed
// letters launch again.
LRESULT OnLeftButtonDown(HWND window)
{
    SetFocus(window);
    return 0;
}

LRESULT OnHotkey(HWND window, WPARAM id)
{
    HandleHotkey(window, (int)id);
    return 0;
}
