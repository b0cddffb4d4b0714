#include "tests/fake_platform.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "store/slot_table.h"

FakePlatform fake;

void ResetFake()
{
    fake = FakePlatform();
    slotTable = SlotTable();
}

static bool FailsNow() { return ++fake.fileSteps == fake.failAtFileStep; }
static FILE *FileOf(Stream *stream) { return reinterpret_cast<FILE *>(stream); }

int ShowNotice(const char *text, bool withCancel)
{
    fake.events += (withCancel ? "ask " : "notice ") + std::string(text) + "\n";
    char answer = fake.answers.empty() ? 'o' : fake.answers[0];
    fake.answers.erase(0, 1);
    return answer == 'c' ? NOTICE_CANCEL : NOTICE_OK;
}

size_t ReadCurrentDirectory(char *buffer, size_t size)
{
    if (getcwd(buffer, size) == nullptr)
        buffer[0] = 0;
    return strlen(buffer);
}

Stream *OpenStream(const char *path, const char *mode)
{
    return FailsNow() ? nullptr : reinterpret_cast<Stream *>(fopen(path, mode));
}

long StreamSize(Stream *stream)
{
    long position = ftell(FileOf(stream));
    fseek(FileOf(stream), 0, SEEK_END);
    long size = ftell(FileOf(stream));
    fseek(FileOf(stream), position, SEEK_SET);
    return size;
}

bool SeekStream(Stream *stream, long offset) { return fseek(FileOf(stream), offset, SEEK_SET) == 0; }
size_t ReadStream(Stream *stream, void *buffer, size_t size) { return fread(buffer, 1, size, FileOf(stream)); }

bool WriteStream(Stream *stream, const void *data, size_t size)
{
    return !FailsNow() && fwrite(data, 1, size, FileOf(stream)) == size;
}

bool CloseStream(Stream *stream)
{
    bool closed = fclose(FileOf(stream)) == 0;
    return !FailsNow() && closed;
}

bool ReplaceWithFile(const char *from, const char *to) { return !FailsNow() && rename(from, to) == 0; }
bool MoveToUnusedName(const char *from, const char *to) { return !FailsNow() && link(from, to) == 0 && unlink(from) == 0; }
void DeleteIfPresent(const char *path) { remove(path); }

void OpenWithShell(WindowRef, const char *path) { fake.events += "shell " + std::string(path) + "\n"; }
void HideMainWindow(WindowRef) { fake.events += "hide\n"; }
void ShowMainWindow(WindowRef) { fake.events += "show\n"; }

bool RegisterKey(WindowRef, int id, int keyCode)
{
    bool taken = keyCode == fake.heldElsewhere;
    for (const auto &held : fake.hotkeys)
        taken = taken || held.second == keyCode;
    if (!taken)
        fake.hotkeys.push_back({id, keyCode});
    return !taken;
}

void UnregisterKey(WindowRef, int id)
{
    for (size_t i = fake.hotkeys.size(); i-- > 0;)
        if (fake.hotkeys[i].first == id)
            fake.hotkeys.erase(fake.hotkeys.begin() + (long)i);
}
