// The platform layer on Windows: the ANSI Win32 calls and the C runtime's streams.
#include <windows.h>
#include <shellapi.h>
#include <io.h>
#include <stdio.h>

#include "common/platform.h"

static const char NOTICE_CAPTION[] = "提示";

int ShowNotice(const char *text, bool withCancel)
{
    int pressed = MessageBoxA(nullptr, text, NOTICE_CAPTION, withCancel ? MB_OKCANCEL : MB_OK);
    return pressed == IDOK ? NOTICE_OK : NOTICE_CANCEL;
}

size_t ReadCurrentDirectory(char *buffer, size_t size)
{
    DWORD length = GetCurrentDirectoryA((DWORD)size, buffer);
    if (length == 0 || length >= size) {
        buffer[0] = 0;
        return 0;
    }
    return length;
}

// A Stream is the runtime's FILE under another name.
static FILE *FileOf(Stream *stream) { return reinterpret_cast<FILE *>(stream); }

Stream *OpenStream(const char *path, const char *mode)
{
    return reinterpret_cast<Stream *>(fopen(path, mode));
}

long StreamSize(Stream *stream)
{
    FILE *file = FileOf(stream);
    long position = ftell(file);
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(file);
    fseek(file, position, SEEK_SET);
    return size;
}

bool SeekStream(Stream *stream, long offset) { return fseek(FileOf(stream), offset, SEEK_SET) == 0; }

size_t ReadStream(Stream *stream, void *buffer, size_t size) { return fread(buffer, 1, size, FileOf(stream)); }

bool WriteStream(Stream *stream, const void *data, size_t size)
{
    return fwrite(data, 1, size, FileOf(stream)) == size;
}

// Asks the system to put written bytes on the disk before closing, so a file
// moved into place next is really there after a power cut. (For a stream
// opened for reading that request fails, harmlessly.)
bool CloseStream(Stream *stream)
{
    FILE *file = FileOf(stream);
    bool flushed = fflush(file) == 0;
    if (flushed)
        _commit(_fileno(file));
    return fclose(file) == 0 && flushed;
}

// A name that cannot be looked up for another reason (the folder denies it
// to this user, say) is taken to be there: only what is surely missing is.
int KindOfFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? KIND_MISSING : KIND_WRITABLE;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return KIND_FOLDER;
    return attributes & FILE_ATTRIBUTE_READONLY ? KIND_READ_ONLY : KIND_WRITABLE;
}

// The runtime's fopen leaves the system's error of its CreateFile in place.
int LastFileFailure()
{
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FAILURE_IN_USE;
    case ERROR_ACCESS_DENIED: return FAILURE_DENIED;
    default: return FAILURE_OTHER;
    }
}

void PauseMilliseconds(int milliseconds) { Sleep((DWORD)milliseconds); }

bool ReplaceWithFile(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MoveToUnusedName(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

bool DeleteIfPresent(const char *path) { return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND; }

bool IsLeadByte(char first) { return IsDBCSLeadByte((BYTE)first) != 0; }

// The program names every failure itself, in its own words: the shell shows
// none of its error boxes (SEE_MASK_FLAG_NO_UI), so nothing is said twice. A
// shell may report a folder missing on the way as a file not found, and say
// which only in the thread's last error.
int OpenWithShell(WindowRef owner, const char *path)
{
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_FLAG_NO_UI;
    execute.hwnd = (HWND)owner;
    execute.lpFile = path;
    execute.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&execute))
        return SHELL_OPENED;
    DWORD error = GetLastError();
    int code = (int)(INT_PTR)execute.hInstApp;
    if (error == ERROR_CANCELLED)
        return SHELL_DECLINED;
    if (code == SE_ERR_FNF && error == ERROR_PATH_NOT_FOUND)
        return SE_ERR_PNF;
    return code;
}

void HideMainWindow(WindowRef window) { ShowWindow((HWND)window, SW_HIDE); }

// The hotkey that asks for the window lets this process take the foreground,
// so typed letters reach the window at once.
void ShowMainWindow(WindowRef window)
{
    ShowWindow((HWND)window, SW_SHOWNORMAL);
    SetForegroundWindow((HWND)window);
}

static_assert(KEY_NO_REPEAT == MOD_NOREPEAT, "the platform's flag for a hotkey without auto-repeat");

bool RegisterKey(WindowRef window, int id, int keyCode, int modifiers)
{
    return RegisterHotKey((HWND)window, id, (UINT)modifiers, (UINT)keyCode) != 0;
}

void UnregisterKey(WindowRef window, int id) { UnregisterHotKey((HWND)window, id); }
