#include "tests/fake_platform.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

FakePlatform fake;

static bool FailsNow() { return ++fake.fileSteps == fake.failAtFileStep; }
static FILE *FileOf(Stream *stream) { return reinterpret_cast<FILE *>(stream); }

int ShowNotice(const char *text, bool)
{
    fake.events += "notice " + std::string(text) + "\n";
    return NOTICE_OK;
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
bool WriteStream(Stream *stream, const void *data, size_t size) { return !FailsNow() && fwrite(data, 1, size, FileOf(stream)) == size; }
bool CloseStream(Stream *stream) { return fclose(FileOf(stream)) == 0 && !FailsNow(); }
bool ReplaceWithFile(const char *from, const char *to) { return !FailsNow() && rename(from, to) == 0; }
bool MoveToUnusedName(const char *from, const char *to) { return !FailsNow() && link(from, to) == 0 && unlink(from) == 0; }
void DeleteIfPresent(const char *path) { remove(path); }
void OpenWithShell(WindowRef, const char *path) { fake.events += "shell " + std::string(path) + "\n"; }

// As on Windows, a key registered under an id that holds one is held beside it.
bool RegisterKey(WindowRef, int id, int keyCode)
{
    fake.hotkeys.push_back({id, keyCode});
    return true;
}

void UnregisterKey(WindowRef, int id)
{
    for (size_t i = fake.hotkeys.size(); i-- > 0;)
        if (fake.hotkeys[i].first == id)
            fake.hotkeys.erase(fake.hotkeys.begin() + (long)i);
}
