// The main window's client area: six slot rows of key field, path field and
// browse button, four buttons along the bottom, and the painted row labels
// and divider, which are not controls.
#pragma once

#include <windows.h>

#include "res/resource.h"

// The child controls, indexed by control id; ids 10, 11 and 12 stay empty.
struct ControlTable {
    HWND controls[CONTROL_COUNT];
};

extern ControlTable controlTable;

// Creates the 22 controls as children of window; called while the window is
// being created. Returns 0.
int CreateControls(HWND window, const CREATESTRUCTA *creationData);

// Handles WM_PAINT: the row labels and the divider.
void PaintLabels(HWND window);
