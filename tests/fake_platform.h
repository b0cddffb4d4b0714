// A recording stand-in for the platform layer, for the store and the launcher
// on any system: notices, launches and the window's hiding and showing are
// written to events, a line each; notices are answered from a script; hotkeys
// are held in a list; files are real, and one chosen file operation fails.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"

struct FakePlatform {
    std::string events;       // "notice TEXT", "ask TEXT" (OK and Cancel), "shell PATH", "hide", "show"
    std::string answers;      // the buttons for the next asks: 'c' Cancel, anything else OK
    std::vector<std::pair<int, int>> hotkeys;  // (id, key code) held by the main window
    int heldElsewhere = 0;    // a key code another program holds
    int fileSteps = 0;        // file operations that can fail, so far
    int failAtFileStep = 0;   // this one fails; 0 for none
};

extern FakePlatform fake;

// A clean fake and a clean slot table.
void ResetFake();
