// One Jumpdeck a start-up folder: a second start from the folder of a running
// copy shows that copy's window instead of opening another on the same files.
#pragma once

#include <windows.h>

// Claims the start-up folder (the current directory) for this process, until
// it ends. When a live copy holds it already, asks that copy to show its
// window and returns false: this process must end, having touched no file.
bool ClaimStartupFolder(HINSTANCE instance);

// The running copy's side: a request naming this copy's folder shows the
// window, as F1 does, and answers TRUE; any other request answers FALSE.
LRESULT OnCopyData(HWND window, const COPYDATASTRUCT *request);
