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

// Another program may have a file open for a moment: on Windows a virus
// scanner, the search indexer or a sync client looks at a file just written.
// A move that meets a busy file is tried again, waiting a little longer each
// time, for about a second in all, before it fails.
static bool MoveRetryingBusy(const char *from, const char *to, DWORD flags)
{
    const int attempts = 10;
    for (int attempt = 1;; attempt++) {
        if (MoveFileExA(from, to, flags | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (attempt == attempts ||
            (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION))
            return false;
        Sleep(25 * attempt);
    }
}

bool ReplaceWithFile(const char *from, const char *to)
{
    return MoveRetryingBusy(from, to, MOVEFILE_REPLACE_EXISTING);
}

bool MoveToUnusedName(const char *from, const char *to)
{
    return MoveRetryingBusy(from, to, 0);
}

void DeleteIfPresent(const char *path) { DeleteFileA(path); }

void OpenWithShell(WindowRef owner, const char *path)
{
    ShellExecuteA((HWND)owner, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void HideMainWindow(WindowRef window) { ShowWindow((HWND)window, SW_HIDE); }

// The hotkey that asks for the window lets this process take the foreground,
// so typed letters reach the window at once.
void ShowMainWindow(WindowRef window)
{
    ShowWindow((HWND)window, SW_SHOWNORMAL);
    SetForegroundWindow((HWND)window);
}

bool RegisterKey(WindowRef window, int id, int keyCode)
{
    return RegisterHotKey((HWND)window, id, 0, (UINT)keyCode) != 0;
}

void UnregisterKey(WindowRef window, int id) { UnregisterHotKey((HWND)window, id); }
