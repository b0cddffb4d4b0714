#include "tests/fake_platform.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

FakePlatform fake;

// A file another program holds shows when it is opened, moved, replaced or
// deleted, not while it is written: in use, only those fail. Moving and
// deleting a file need the same access, so one fails when the other does.
static bool FailsNow(bool opensOrMoves = true)
{
    if (!opensOrMoves && fake.failsBusy)
        return false;
    int step = ++fake.fileSteps;
    bool fails = fake.failAtFileStep > 0 && step >= fake.failAtFileStep && step < fake.failAtFileStep + fake.failingSteps;
    fake.lastFailedBusy = fails && fake.failsBusy;
    return fails;
}
static FILE *FileOf(Stream *stream) { return reinterpret_cast<FILE *>(stream); }

int ShowNotice(const char *text, bool)
{
    fake.notices.push_back(text);
    return fake.noticeAnswer;
}

size_t ReadCurrentDirectory(char *buffer, size_t size) { return getcwd(buffer, size) ? strlen(buffer) : 0; }
Stream *OpenStream(const char *path, const char *mode) { return FailsNow() ? nullptr : (Stream *)fopen(path, mode); }
long StreamSize(Stream *stream)
{
    struct stat status;
    return fstat(fileno(FileOf(stream)), &status) == 0 ? (long)status.st_size : -1;
}

bool SeekStream(Stream *stream, long offset) { return fseek(FileOf(stream), offset, SEEK_SET) == 0; }
size_t ReadStream(Stream *stream, void *buffer, size_t size) { return fread(buffer, 1, size, FileOf(stream)); }
bool WriteStream(Stream *stream, const void *data, size_t size) { return !FailsNow(false) && fwrite(data, 1, size, FileOf(stream)) == size; }
bool CloseStream(Stream *stream) { return fclose(FileOf(stream)) == 0 && !FailsNow(false); }
bool FileWasBusy() { return fake.lastFailedBusy; }
void PauseMilliseconds(int milliseconds) { fake.pausedMs += milliseconds; }
bool ReplaceWithFile(const char *from, const char *to) { return !FailsNow() && rename(from, to) == 0; }
bool MoveToUnusedName(const char *from, const char *to) { return !FailsNow() && link(from, to) == 0 && unlink(from) == 0; }
bool DeleteIfPresent(const char *path) { return access(path, F_OK) != 0 || (!FailsNow() && remove(path) == 0); }
bool IsLeadByte(char first) { return (unsigned char)first >= 0x81 && (unsigned char)first <= 0xFE; }
int OpenWithShell(WindowRef, const char *path)
{
    fake.launches.push_back(path);
    const char *star = strchr(path, '*');
    int code = star ? (unsigned char)star[1] % 34 : SHELL_OPENED;
    fake.answers.push_back(code == 33 ? SHELL_DECLINED : code);
    return fake.answers.back();
}
void HideMainWindow(WindowRef) { fake.windowHidden = true; }
void ShowMainWindow(WindowRef) { fake.windowHidden = false; }

// As on Windows, a key with the same modifiers held under another id or by
// another program is refused, and a key registered under an id that holds one
// is held beside it.
bool RegisterKey(WindowRef, int id, int keyCode, int modifiers)
{
    for (const std::array<int, 3> &held : fake.hotkeys)
        if (held[0] != id && held[1] == keyCode && ((held[2] ^ modifiers) & ~KEY_NO_REPEAT) == 0)
            return false;
    for (int code : fake.keysElsewhere)
        if (code == keyCode)
            return false;
    fake.hotkeys.push_back({id, keyCode, modifiers});
    return true;
}

void UnregisterKey(WindowRef, int id)
{
    for (size_t i = fake.hotkeys.size(); i-- > 0;)
        if (fake.hotkeys[i][0] == id)
            fake.hotkeys.erase(fake.hotkeys.begin() + (long)i);
}
