// A measured program as the driver sees it: started in a job object of its own,
// so closing the job ends it and whatever it started (the marker, an editor),
// and read from outside for its window, CPU time, threads and memory.
#pragma once

#include <windows.h>
#include <stddef.h>

struct Child {
    HANDLE job;
    HANDLE process;
    DWORD processId;
    HWND window;  // its first visible top-level window, once shown
};

// Why the last call below failed, for the driver's error message.
extern char childProblem[256];

// Starts "program argument" with folder as its current directory. The program
// runs from the start; only the moment between creation and joining the job
// is spent suspended.
bool StartChild(Child *child, const char *program, const char *argument, const char *folder);

// Returns when the program waits for input and has a visible top-level window
// (a notice box does not count: it is reported as a failure with its text).
bool WaitUntilShown(Child *child, DWORD timeoutMs);

// Ends the program and everything it started, and waits until it is gone.
void StopChild(Child *child);

// User plus kernel CPU time the program has used so far.
double CpuMilliseconds(const Child &child);

bool ReadMemory(const Child &child, size_t *workingSetBytes, size_t *privateBytes);
