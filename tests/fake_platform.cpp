#include "tests/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "store/slot_table.h"

FakePlatform fake;

void ResetFake()
{
    fake = FakePlatform();
    slotTable = SlotTable();
    mainWindow = nullptr;
}

static bool FailsNow()
{
    return ++fake.fileSteps == fake.failAtFileStep;
}

int ShowNotice(const char *text, bool withCancel)
{
    fake.events.push_back((withCancel ? "ask " : "notice ") + std::string(text));
    if (fake.answers.empty())
        return NOTICE_OK;
    int answer = fake.answers.front();
    fake.answers.pop_front();
    return answer;
}

size_t ReadCurrentDirectory(char *buffer, size_t size)
{
    if (getcwd(buffer, size) == nullptr) {
        buffer[0] = 0;
        return 0;
    }
    return strlen(buffer);
}

static FILE *FileOf(Stream *stream) { return reinterpret_cast<FILE *>(stream); }

Stream *OpenStream(const char *path, const char *mode)
{
    if (FailsNow())
        return nullptr;
    return reinterpret_cast<Stream *>(fopen(path, mode));
}

long StreamSize(Stream *stream)
{
    FILE *file = FileOf(stream);
    long position = ftell(file);
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    fseek(file, position, SEEK_SET);
    return size;
}

bool SeekStream(Stream *stream, long offset) { return fseek(FileOf(stream), offset, SEEK_SET) == 0; }

size_t ReadStream(Stream *stream, void *buffer, size_t size) { return fread(buffer, 1, size, FileOf(stream)); }

bool WriteStream(Stream *stream, const void *data, size_t size)
{
    if (FailsNow())
        return false;
    return fwrite(data, 1, size, FileOf(stream)) == size;
}

bool CloseStream(Stream *stream)
{
    bool closed = fclose(FileOf(stream)) == 0;
    return !FailsNow() && closed;
}

bool ReplaceWithFile(const char *from, const char *to)
{
    if (FailsNow())
        return false;
#ifdef _WIN32
    remove(to);  // the runtime's rename does not replace on Windows
#endif
    return rename(from, to) == 0;
}

bool MoveToUnusedName(const char *from, const char *to)
{
    if (FailsNow())
        return false;
#ifdef _WIN32
    return rename(from, to) == 0;  // the runtime's rename never replaces on Windows
#else
    return link(from, to) == 0 && unlink(from) == 0;
#endif
}

void DeleteIfPresent(const char *path) { remove(path); }

void OpenWithShell(WindowRef, const char *path) { fake.events.push_back("shell " + std::string(path)); }

void HideMainWindow(WindowRef) { fake.events.push_back("hide"); }

void ShowMainWindow(WindowRef) { fake.events.push_back("show"); }

bool RegisterKey(WindowRef, int id, int keyCode)
{
    bool taken = std::count(fake.heldElsewhere.begin(), fake.heldElsewhere.end(), keyCode) > 0;
    for (const auto &held : fake.hotkeys)
        taken = taken || held.second == keyCode;
    std::string ids = std::to_string(id) + " " + std::to_string(keyCode);
    fake.events.push_back((taken ? "refused " : "register ") + ids);
    if (!taken)
        fake.hotkeys.emplace_back(id, keyCode);
    return !taken;
}

void UnregisterKey(WindowRef, int id)
{
    fake.events.push_back("unregister " + std::to_string(id));
    auto held = std::find_if(fake.hotkeys.begin(), fake.hotkeys.end(),
                             [id](const std::pair<int, int> &hotkey) { return hotkey.first == id; });
    if (held != fake.hotkeys.end())
        fake.hotkeys.erase(held);
}
