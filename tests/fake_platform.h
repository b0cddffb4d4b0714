// A recording stand-in for the platform layer, for the store and the launcher
// on any system: notices and launches are written to events, a line each;
// hotkeys are held in a list as Windows holds them; files are real, and one
// chosen file operation can be made to fail.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"

struct FakePlatform {
    std::string events;                        // "notice TEXT", "shell PATH"
    std::vector<std::pair<int, int>> hotkeys;  // (id, key code) held by the main window
    int fileSteps = 0;                         // file operations that can fail, so far
    int failAtFileStep = 0;                    // this one fails; 0 for none
};

extern FakePlatform fake;
