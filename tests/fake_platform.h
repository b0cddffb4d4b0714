// A recording stand-in for the platform layer, for the store and the launcher
// on any system: notices and launches are recorded; hotkeys are held in a list
// as Windows holds them, and keys another program holds are refused. The
// start-up folder, "/deck", lives in memory, and its files follow Windows'
// rules (tests/fake_platform.cpp says where Windows states each): a read-only
// file can be read and moved, but not written, replaced or deleted; a file
// another program holds can be neither opened, moved nor deleted; a folder
// can stand where a file is expected. Time passes only in the program's
// pauses, and in the steps of whoever drives it. The shell opens every path
// but one that holds '*', which no file name has: the byte after it, modulo
// 34, is the shell's error code, 33 the user's no. The code page is 936.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "common/platform.h"

struct FakeFile {
    std::string bytes;
    bool readOnly = false, folder = false;
    long heldUntilMs = 0;   // another program holds it until then
    bool heldDenies = false;  // and, meanwhile, access to it is denied (its deletion pending), not in use
    bool operator==(const FakeFile &o) const  // the same bytes and attributes; who holds it is not the file's
    {
        return bytes == o.bytes && readOnly == o.readOnly && folder == o.folder;
    }
};

// Another program takes hold of a file at the file operation numbered atStep
// (of the file that operation names, when name is empty), for forMs.
struct FakeHold { std::string name; int atStep; long forMs; bool denies; };

const long FOR_GOOD_MS = 1L << 30;  // a hold that lasts until the holder lets go

struct FakePlatform {
    std::vector<std::string> notices;          // texts shown
    std::vector<std::string> launches;         // paths handed to the shell
    std::vector<int> answers;                  // and what it answered for each
    bool windowHidden = false;
    int noticeAnswer = NOTICE_OK;              // the button the user presses
    std::vector<std::array<int, 3>> hotkeys;   // (id, key code, modifiers) held by the main window
    std::vector<int> keysElsewhere;            // key codes another program holds
    std::map<std::string, FakeFile> files;     // by full path
    std::vector<FakeHold> holds;               // to come
    long clockMs = 0;
    int fileSteps = 0;                         // file operations so far
    int stopAtStep = 0;                        // the program stops there: no file operation from it on does anything
    long diskRoom = -1;                        // bytes the disk still takes; below 0, any number
    long refusedUntilMs = 0;                   // the latest end of what refused a file operation
    bool metHold = false;                      // whether a file another program held refused one
    int lastFailure = 0;
};

extern FakePlatform fake;
