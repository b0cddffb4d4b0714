// The input messages of the main window: every user action enters here.
#pragma once

#include <windows.h>

#include "store/slot_table.h"

// The window and the key fields get no input context; call once the
// controls exist.
void TakeKeysPastInputMethod(HWND window);

// Lets the user choose a file and puts its full path into pathField.
void BrowseForFile(HWND pathField);

// Handlers called by MainWindowProc; each returns the message's result, 0.
LRESULT OnCommand(HWND window, WPARAM wParam);
LRESULT OnChar(HWND window, WPARAM character);
LRESULT OnLeftButtonDown(HWND window);
LRESULT OnHotkey(HWND window, WPARAM id);
