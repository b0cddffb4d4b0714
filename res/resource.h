// Ids of the resources and of the main window's child controls, grouped by
// kind. Shared by the resource script and the code, so it holds #defines only.
#pragma once

// String table
#define IDS_WINDOW_TITLE 103  // "Jumpdeck"
#define IDS_WINDOW_CLASS 109  // "DECKWND"

// Icons
#define IDI_LARGE 107
#define IDI_SMALL 108

// Accelerator table and the one command it produces. Alt+? and Alt+/ are
// mapped to a command nobody handles, so these keystrokes are simply consumed.
#define IDR_ACCELERATORS 109
#define IDM_SWALLOWED_KEY 104

// Child controls of the main window. Each id is also the control's index in
// the ControlTable. The row controls (key field, path field and browse button
// of each slot) take their ids from the slot map: 0-5, 7-9 and 13-21.
#define IDC_SAVE 6
#define IDC_MANUAL 22
#define IDC_ENABLE_HOTKEYS 23
#define IDC_DISABLE_HOTKEYS 24
#define CONTROL_COUNT 25  // ids 10, 11 and 12 are never created
