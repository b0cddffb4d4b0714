// The driver's work folder and what it reads from the programs themselves.
#pragma once

#include <stddef.h>

// Makes the work folder anew: marker\marker.exe (a copy of marker), the
// target of the launch key; notes.txt; and start\ and key\ with Jumpdeck's
// files: six bound slots (slot 0 holds the launch key and the marker; slot 3
// is reserved and stays empty), hotkeys off in start\ and on in key\. Every
// file Jumpdeck looks for at start-up is there, so no run creates one.
// Returns false, with the reason in childProblem, when it cannot.
bool PrepareWork(const char *work, const char *marker);

// The program's size in bytes, or -1.
long long FileBytes(const char *program);

// The DLLs the program imports, as "A.dll, B.dll" in the order of its import
// table, into names; false when it cannot be read.
bool ImportedDlls(const char *program, char *names, size_t size);

// Whether every DLL in names ("A.dll, B.dll") comes with Windows.
bool SystemDllsOnly(const char *names);
