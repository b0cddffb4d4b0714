#include "store/save_moves.h"

#include "common/text.h"
#include "store/busy_files.h"

static const char NEW_SUFFIX[] = ".new";
static const char OLD_SUFFIX[] = ".old";

void NameSaveFiles(SaveFileNames *names)
{
    names->newKeys[0] = names->newPaths[0] = names->oldPaths[0] = 0;
    AppendText(names->newKeys, sizeof names->newKeys, startupPaths.keyFile);
    AppendText(names->newKeys, sizeof names->newKeys, NEW_SUFFIX);
    AppendText(names->newPaths, sizeof names->newPaths, startupPaths.pathFile);
    AppendText(names->newPaths, sizeof names->newPaths, NEW_SUFFIX);
    AppendText(names->oldPaths, sizeof names->oldPaths, startupPaths.pathFile);
    AppendText(names->oldPaths, sizeof names->oldPaths, OLD_SUFFIX);
}

// Only a file a save could have left is a trace of one: a save writes its
// files itself and never marks them read-only. A read-only file or a folder
// of such a name is not ours, is never taken for a trace, and is left alone.
static bool IsTrace(const char *path)
{
    return KindOfFile(path) == KIND_WRITABLE;
}

static void DeleteLeftovers(const SaveFileNames &names)
{
    DeleteWhenFree(names.newPaths);
    DeleteWhenFree(names.newKeys);
    DeleteWhenFree(names.oldPaths);
}

// The new path file is in, waiting for its key file, exactly while the old
// path file is aside and no new path file waits:
// - the new path file is in and the new key file, waiting, fits it: the save
//   stopped between its moves; move the key file in, or, where that cannot be
//   done, undo it;
// - the old path file aside with any new file waiting: undo, putting the old
//   path file back. A new key file beside a path file that was never moved
//   aside is a failed save's leftover, which could not be deleted: however
//   well its lengths fit, the path file is not the one it was written with.
bool PutInterruptedSaveRight(const SaveFileNames &names)
{
    bool aside = IsTrace(names.oldPaths), pathsWaiting = IsTrace(names.newPaths);
    bool keysWaiting = IsTrace(names.newKeys);
    bool finished = aside && !pathsWaiting && keysWaiting && KeyFileFitsPathFile(names.newKeys) &&
                    ReplaceWhenFree(names.newKeys, startupPaths.keyFile);
    bool undo = aside && (pathsWaiting || keysWaiting) && !finished;
    if (undo && !ReplaceWhenFree(names.oldPaths, startupPaths.pathFile))
        return false;
    DeleteLeftovers(names);
    return true;
}

const char *LeftoverInTheWay(const SaveFileNames &names)
{
    const char *const leftovers[] = {names.newKeys, names.newPaths, names.oldPaths};
    for (const char *path : leftovers) {
        if (KindOfFile(path) != KIND_MISSING)
            return path;
    }
    return nullptr;
}

// Once the old path file is aside, a save that fails puts it back. Should
// even that fail, a new path file waiting, empty, tells every later start to
// put it back: none may finish a save the user was told had failed.
static bool UndoMoves(const SaveFileNames &names)
{
    if (ReplaceWhenFree(names.oldPaths, startupPaths.pathFile))
        return true;
    CreateEmptyWhenFree(names.newPaths);
    return false;
}

// The old path file is moved aside, not overwritten, so that it can come
// back; a missing one is made empty first, which loads the same, so that
// there always is one aside while the new one is in. The new one then only
// takes a free name: whatever else stands there stays untouched.
bool MoveNewPairIn(const SaveFileNames &names, bool written)
{
    bool saved = false, whole = true;
    if (written &&
        (KindOfFile(startupPaths.pathFile) != KIND_MISSING || CreateEmptyWhenFree(startupPaths.pathFile)) &&
        MoveToUnusedNameWhenFree(startupPaths.pathFile, names.oldPaths)) {
        saved = MoveToUnusedNameWhenFree(names.newPaths, startupPaths.pathFile) &&
                ReplaceWhenFree(names.newKeys, startupPaths.keyFile);
        whole = saved || UndoMoves(names);
    }
    if (whole)
        DeleteLeftovers(names);
    return saved;
}
