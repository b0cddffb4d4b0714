// A recording stand-in for the platform layer. Every call that the program
// makes of the system is written to events as one line of text; notice boxes
// are answered from a script; file operations work on real files but can be
// made to fail at a chosen step.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"

struct FakePlatform {
    // "notice TEXT", "ask TEXT" (OK and Cancel), "shell PATH", "hide", "show",
    // "register ID CODE", "refused ID CODE", "unregister ID"
    std::vector<std::string> events;
    std::deque<int> answers;              // buttons for the next notices; OK when empty
    std::vector<std::pair<int, int>> hotkeys;  // (id, key code) held by the main window
    std::vector<int> heldElsewhere;       // key codes other programs hold
    int fileSteps = 0;                    // fallible file operations so far
    int failAtFileStep = 0;               // this one fails; 0 for none
};

extern FakePlatform fake;

// Clears the fake, the slot table and the main window handle.
void ResetFake();
