// Start-up, the main window and the message loop.
#pragma once

#include <windows.h>

enum {
    MAIN_WINDOW_WIDTH = 600,
    MAIN_WINDOW_HEIGHT = 360,
    WINDOW_STRING_SIZE = 100,
};

// A caption and close and minimize boxes; no maximize box, no sizing border.
static const DWORD MAIN_WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The title and the class name, read from the string table at start-up.
struct WindowStrings {
    char title[WINDOW_STRING_SIZE];
    char className[WINDOW_STRING_SIZE];
};

extern WindowStrings windowStrings;

void LoadWindowStrings(HINSTANCE instance);
void RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window centred on the screen and shows it, then registers
// F1, F2 and F3. Returns false, with nothing registered, when it could not be
// created.
bool CreateMainWindow(HINSTANCE instance, int showCommand);

// Everything before the message loop: the start-up paths and the settings,
// the window, and the slot hotkeys when the loaded switch is on. Returns
// false when the window could not be created, or at once when a copy already
// running from the same folder was asked to show its window instead.
bool StartUp(HINSTANCE instance, int showCommand);

// Runs until the quit message and returns its exit code.
int RunMessageLoop(HACCEL accelerators);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
