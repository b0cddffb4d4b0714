// A recording stand-in for the platform layer, for the store and the launcher
// on any system: notices and launches are recorded; hotkeys are held in a list
// as Windows holds them, and keys another program holds are refused; files are
// real, and one chosen file operation can be made to fail, or to find its file
// in use by another program; pauses only count. The shell opens every path
// but one that holds '*', which no file name has: the byte after it, modulo
// 34, is the shell's error code, 33 the user's no. The code page is 936.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/platform.h"

struct FakePlatform {
    std::vector<std::string> notices;          // texts shown
    std::vector<std::string> launches;         // paths handed to the shell
    std::vector<int> answers;                  // and what it answered for each
    bool windowHidden = false;
    int noticeAnswer = NOTICE_OK;              // the button the user presses
    std::vector<std::array<int, 3>> hotkeys;   // (id, key code, modifiers) held by the main window
    std::vector<int> keysElsewhere;            // key codes another program holds
    int fileSteps = 0;                         // file operations that can fail, so far
    int failAtFileStep = 0;                    // this one fails; 0 for none
    int failingSteps = 1;                      // and so many in all from it on
    bool failsBusy = false;                    // as a file another program holds
    bool lastFailedBusy = false;
    int pausedMs = 0;
};

extern FakePlatform fake;
