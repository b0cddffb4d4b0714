// How a save puts its two new files in place of the data files without ever
// leaving a pair that belongs to two saves, and how the next start, or the
// next save, finishes or undoes a save that stopped on its way. A save writes
// "l.z.new" and "z.l.new" beside the pair, moves "z.l" aside to "z.l.old",
// moves the new path file in, then the new key file, and deletes the old
// path file.
#pragma once

#include "store/settings_files.h"

struct SaveFileNames {
    char newKeys[STARTUP_PATH_SIZE + 8];
    char newPaths[STARTUP_PATH_SIZE + 8];
    char oldPaths[STARTUP_PATH_SIZE + 8];
};

void NameSaveFiles(SaveFileNames *names);

// Finishes or undoes a save that stopped on its way, then removes what it
// left, as far as it can. Returns false when the old path file had to come
// back and could not: the pair on disk is then two saves'.
bool PutInterruptedSaveRight(const SaveFileNames &names);

// A file that stands where a save moves its files and could not be removed
// (another program holds it, it is read-only, or a folder), or nullptr.
const char *LeftoverInTheWay(const SaveFileNames &names);

// Moves the new pair, written in full under the new names (when written), in
// place of the data files; returns whether it is in. Any failure puts the old
// pair back as it was, or leaves the files for the next start to put back.
bool MoveNewPairIn(const SaveFileNames &names, bool written);
