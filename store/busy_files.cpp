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

// Right after a failed call: pauses and returns true when the file was in use
// and this load or save still has time to wait for it.
static bool WaitedForBusyFile()
{
    if (!FileWasBusy() || waitedMs + nextPauseMs > LONGEST_WAIT_MS)
        return false;
    PauseMilliseconds(nextPauseMs);
    waitedMs += nextPauseMs;
    nextPauseMs += PAUSE_GROWTH_MS;
    return true;
}

Stream *OpenWhenFree(const char *path, const char *mode)
{
    Stream *stream;
    while ((stream = OpenStream(path, mode)) == nullptr && WaitedForBusyFile()) {
    }
    return stream;
}

static bool UntilFree(bool (*operation)(const char *, const char *), const char *from, const char *to)
{
    bool done;
    while (!(done = operation(from, to)) && WaitedForBusyFile()) {
    }
    return done;
}

bool ReplaceWhenFree(const char *from, const char *to) { return UntilFree(ReplaceWithFile, from, to); }
bool MoveToUnusedNameWhenFree(const char *from, const char *to) { return UntilFree(MoveToUnusedName, from, to); }

void DeleteWhenFree(const char *path)
{
    while (!DeleteIfPresent(path) && WaitedForBusyFile()) {
    }
}
