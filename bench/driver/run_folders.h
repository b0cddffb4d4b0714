// The folders the measured programs run in, under one work folder:
//   marker\marker.exe   the launch target (a short path, as a key file needs)
//   start\              Jumpdeck's files with six bound slots, hotkeys off
//   key\                the same files with the hotkey switch on
// Every file Jumpdeck looks for at start-up is there, so no run creates one.
#pragma once

#include <stddef.h>

struct RunFolders {
    char work[260];
    char start[260];
    char key[260];
    char marker[260];       // the marker program
    char markerStamp[260];  // the file the marker writes its start time to
};

extern char runFoldersProblem[256];

// Makes the folders and files, copying the marker program from markerSource.
bool PrepareRunFolders(RunFolders *folders, const char *work, const char *markerSource);
