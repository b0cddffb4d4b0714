// The input messages of the main window: every user action enters here.
#pragma once

#include <windows.h>

#include "store/slot_table.h"

// The file the browse dialog chose last, in whichever row; each dialog
// proposes it again. Zero at start, never cleared.
extern char browseFile[PATH_SIZE];

// Lets the user choose a file and puts its full path into pathField.
void BrowseForFile(HWND pathField);

// Handlers called by MainWindowProc; each returns the message's result, 0.
LRESULT OnCommand(HWND window, WPARAM wParam);
LRESULT OnChar(HWND window, WPARAM character);
LRESULT OnLeftButtonDown(HWND window);
LRESULT OnHotkey(HWND window, WPARAM id);
