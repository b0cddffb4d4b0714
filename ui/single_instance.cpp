#include "ui/single_instance.h"

#include <string.h>

#include "common/platform.h"
#include "res/resource.h"
#include "store/settings_files.h"
#include "ui/startup.h"

// A copy holds its folder by owning a mutex named after it, from before it
// reads a file until it ends. The system gives up the ownership when the
// owning thread ends, however it ends (Escape, the close box, killed), so a
// copy that is gone never blocks the next start; and the running copy spends
// nothing on the claim: no thread, no timer, nothing to wait on.
//
// A new copy that finds the mutex owned asks each Jumpdeck window, by its
// class, with WM_COPYDATA carrying the mutex's name; only the window whose
// copy built the same name shows itself. Whatever the answers, the new copy
// ends: a copy of this folder is alive, and two copies must never write one
// pair of files. A copy that is hung (not taking messages for 5 s) is skipped
// at once and one that is busy after ANSWER_TIMEOUT_MS, so the new copy ends
// without a window shown; once the hung copy is ended, the next start runs.

enum {
    FOLDER_NAME_SIZE = STARTUP_PATH_SIZE + 16,
    SHOW_REQUEST = 0x4A444B31,  // marks Jumpdeck's request among WM_COPYDATA messages
    ANSWER_TIMEOUT_MS = 3000,
};

static const WCHAR NAME_PREFIX[] = L"Jumpdeck:";

// The name of this process's start-up folder, and the mutex of that name,
// owned by the program's one thread until the process ends.
struct FolderClaim {
    WCHAR name[FOLDER_NAME_SIZE];
    DWORD nameBytes;  // with the terminating zero
    HANDLE mutex;
};

static FolderClaim folderClaim;

// The name holds the whole folder, never a digest of it, so two folders can
// never share one: upper-cased with the system's table, as Windows compares
// paths, and '\' (which only the namespace prefix of a name may hold) turned
// into '/' (which no folder holds). It is built in UTF-16: upper-casing code
// page 936 bytes goes through UTF-16 anyway, and a capital the code page
// lacks would come back as another letter or '?'; the ANSI form of the mutex
// call also limits names to 260 characters, and a folder may be longer.
static bool NameStartupFolder()
{
    char folder[STARTUP_PATH_SIZE];
    if (ReadCurrentDirectory(folder, sizeof folder) == 0)
        return false;
    const int prefix = sizeof NAME_PREFIX / sizeof NAME_PREFIX[0] - 1;
    memcpy(folderClaim.name, NAME_PREFIX, sizeof NAME_PREFIX);
    WCHAR *path = folderClaim.name + prefix;
    int length = MultiByteToWideChar(CP_ACP, 0, folder, -1, path, FOLDER_NAME_SIZE - prefix);
    if (length == 0)
        return false;
    CharUpperBuffW(path, length - 1);
    for (WCHAR *c = path; *c != 0; c++)
        if (*c == L'\\')
            *c = L'/';
    folderClaim.nameBytes = (prefix + length) * sizeof(WCHAR);
    return true;
}

// Each copy that may take the foreground gets the right to: only the one of
// this folder uses it. A program the user just started holds that right; a
// program in the background cannot take the foreground by itself.
static void ShowRunningCopy(HINSTANCE instance)
{
    char className[WINDOW_STRING_SIZE];
    LoadStringA(instance, IDS_WINDOW_CLASS, className, sizeof className);
    COPYDATASTRUCT request = {SHOW_REQUEST, folderClaim.nameBytes, folderClaim.name};
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        AllowSetForegroundWindow(process);
        DWORD_PTR shown = FALSE;
        if (SendMessageTimeoutA(window, WM_COPYDATA, 0, (LPARAM)&request, SMTO_ABORTIFHUNG, ANSWER_TIMEOUT_MS,
                                &shown) != 0 && shown == TRUE)
            return;
    }
}

// A folder whose name cannot be read is not guarded: the program starts as
// it would without the claim. A mutex that cannot be made neither.
bool ClaimStartupFolder(HINSTANCE instance)
{
    if (!NameStartupFolder())
        return true;
    folderClaim.mutex = CreateMutexW(nullptr, FALSE, folderClaim.name);
    // Free, or left by a copy that ended (abandoned): this process owns it now.
    if (WaitForSingleObject(folderClaim.mutex, 0) != WAIT_TIMEOUT)
        return true;
    ShowRunningCopy(instance);
    return false;
}

LRESULT OnCopyData(HWND window, const COPYDATASTRUCT *request)
{
    if (request->dwData != SHOW_REQUEST || request->cbData != folderClaim.nameBytes ||
        memcmp(request->lpData, folderClaim.name, folderClaim.nameBytes) != 0)
        return FALSE;
    ShowMainWindow(window);
    return TRUE;
}
