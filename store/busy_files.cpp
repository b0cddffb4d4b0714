#include "store/busy_files.h"

// Pauses of 25, 50, ... 225 ms: 1125 ms in all, so a file held for a second is
// waited out and a file held for good fails within a second and a half.
enum { FIRST_PAUSE_MS = 25, PAUSE_GROWTH_MS = 25, LONGEST_WAIT_MS = 1200 };

static int waitedMs;
static int nextPauseMs = FIRST_PAUSE_MS;

void StartFileWork()
{
    waitedMs = 0;
    nextPauseMs = FIRST_PAUSE_MS;
}

// A read-only file denies writing, deleting and replacing it for good; a
// folder, all of it (a read-only file can still be read and moved away).
static bool DeniesForGood(const char *path, bool writing)
{
    int kind = KindOfFile(path);
    return kind == KIND_FOLDER || (writing && kind == KIND_READ_ONLY);
}

// Right after a failed call on path (a move's target, source its source):
// pauses and returns true when the file may be free soon and this load or save
// still has time to wait for it. A scanner can deny access for a moment too,
// to a file whose deletion is pending.
static bool WaitedForBusyFile(const char *path, bool writing, const char *source = nullptr)
{
    int failure = LastFileFailure();
    bool forGood = DeniesForGood(path, writing) || (source != nullptr && DeniesForGood(source, false));
    bool busy = failure == FAILURE_IN_USE || (failure == FAILURE_DENIED && !forGood);
    if (!busy || waitedMs + nextPauseMs > LONGEST_WAIT_MS)
        return false;
    PauseMilliseconds(nextPauseMs);
    waitedMs += nextPauseMs;
    nextPauseMs += PAUSE_GROWTH_MS;
    return true;
}

Stream *OpenWhenFree(const char *path, const char *mode)
{
    Stream *stream;
    while ((stream = OpenStream(path, mode)) == nullptr && WaitedForBusyFile(path, mode[0] != 'r')) {
    }
    return stream;
}

static bool UntilFree(bool (*operation)(const char *, const char *), const char *from, const char *to)
{
    bool done;
    while (!(done = operation(from, to)) && WaitedForBusyFile(to, true, from)) {
    }
    return done;
}

bool ReplaceWhenFree(const char *from, const char *to) { return UntilFree(ReplaceWithFile, from, to); }
bool MoveToUnusedNameWhenFree(const char *from, const char *to) { return UntilFree(MoveToUnusedName, from, to); }

bool DeleteWhenFree(const char *path)
{
    bool deleted;
    while (!(deleted = DeleteIfPresent(path)) && WaitedForBusyFile(path, true)) {
    }
    return deleted;
}

bool CreateEmptyWhenFree(const char *path)
{
    Stream *stream = OpenWhenFree(path, "ab");
    return stream != nullptr && CloseStream(stream);
}
