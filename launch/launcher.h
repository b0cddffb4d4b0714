// Opening a slot's target: by a character typed into the main window, or by
// the slot's system-wide hotkey, which guards programs against repeated starts.
#pragma once

#include "common/platform.h"

// Characters typed on the main window arrive a byte at a time: a Chinese
// character as two WM_CHAR, its lead byte, then its trail byte.
struct TypedText {
    bool trailByteNext;  // the byte typed last was a lead byte
};

extern TypedText typedText;

// Hands path to the shell's default action, then hides the main window; or,
// when it did not open, names it and why, and leaves the window shown. Returns
// whether it opened.
bool LaunchTarget(WindowRef window, const char *path);

// For WM_CHAR: launches every visible slot whose key is the character's low
// byte, in row order, and hides the window once all of them opened; neither
// byte of a Chinese character launches.
void LaunchTyped(WindowRef window, unsigned int character);

// For a slot hotkey (ids 1, 2, 3, 5, 6, 7): every second press of a program
// target asks before starting it again.
void LaunchFromHotkey(WindowRef window, int slot);

// A program target: the path holds ".exe" anywhere, in exactly these bytes.
bool IsProgramTarget(const char *path);
