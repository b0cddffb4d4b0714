#include "tests/fake_platform.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

FakePlatform fake;

int ShowNotice(const char *text, bool) { return fake.notices.push_back(text), fake.noticeAnswer; }
size_t ReadCurrentDirectory(char *buffer, size_t size) { return snprintf(buffer, size, "/deck") < (int)size ? 5 : 0; }

// Records why a file operation failed, and for how long what refused it lasts.
static bool Failed(int failure, long forMs = FOR_GOOD_MS)
{
    fake.lastFailure = failure, fake.refusedUntilMs = std::max(fake.refusedUntilMs, fake.clockMs + forMs);
    return false;
}

// Counts a file operation on path, and lets the holds that come with it take
// hold; false, changing nothing, once the program has stopped.
static bool Counted(const std::string &path)
{
    int step = ++fake.fileSteps;
    for (size_t i = fake.holds.size(); i-- > 0;) {
        FakeHold hold = fake.holds[i];
        auto held = fake.files.find(hold.name.empty() ? path : hold.name);
        if (hold.atStep <= step && (fake.holds.erase(fake.holds.begin() + (long)i), held != fake.files.end()))
            held->second.heldUntilMs = fake.clockMs + hold.forMs, held->second.heldDenies = hold.denies;
    }
    return fake.stopAtStep == 0 || step < fake.stopAtStep || Failed(FAILURE_OTHER, 0);
}

// A file another program has open without sharing it cannot be opened, moved
// or deleted (CreateFile's dwShareMode; "A file must also be closed before an
// application can move it", Moving and Replacing Files). A scanner holding a
// file whose deletion is pending denies access instead ("Subsequent calls to
// CreateFile to open the file fail with ERROR_ACCESS_DENIED", DeleteFile).
static bool Free(const FakeFile &file)
{
    return file.heldUntilMs <= fake.clockMs || (fake.metHold = true, false) ||
           Failed(file.heldDenies ? FAILURE_DENIED : FAILURE_IN_USE, file.heldUntilMs - fake.clockMs);
}

struct Stream { std::string path, bytes; size_t at; bool writing; };

// A read-only file: "Applications can read the file, but cannot write to it
// or delete it" (File Attribute Constants). A folder opens only with
// FILE_FLAG_BACKUP_SEMANTICS, which the runtime does not pass: access denied.
Stream *OpenStream(const char *path, const char *mode)
{
    bool writing = mode[0] != 'r';
    auto found = fake.files.find(path);
    bool there = found != fake.files.end();
    if (!Counted(path) || (!there && !writing && !Failed(FAILURE_OTHER, 0)))
        return nullptr;
    if (there && (found->second.folder || (writing && found->second.readOnly)))
        return Failed(FAILURE_DENIED), nullptr;
    if (there && !Free(found->second))
        return nullptr;
    FakeFile &file = fake.files[path];
    file.bytes = mode[0] == 'w' ? "" : file.bytes;
    return new Stream{path, writing ? "" : file.bytes, 0, writing};
}

long StreamSize(Stream *stream) { return stream->writing ? 0 : (long)stream->bytes.size(); }
bool SeekStream(Stream *stream, long offset) { return stream->at = (size_t)offset, true; }
bool WriteStream(Stream *stream, const void *data, size_t size)
{
    return stream->bytes.append((const char *)data, size), true;
}
size_t ReadStream(Stream *stream, void *buffer, size_t size)
{
    size_t count = std::min(size, stream->bytes.size() - std::min(stream->at, stream->bytes.size()));
    memcpy(buffer, stream->bytes.data() + stream->at, count);
    return stream->at += count, count;
}

// Written bytes reach the file when the stream is closed, and only then: where
// the disk has no room for them, never.
bool CloseStream(Stream *stream)
{
    long size = (long)stream->bytes.size();
    bool closed = !stream->writing || (Counted(stream->path) && (fake.diskRoom < 0 || size <= fake.diskRoom ||
                                                                 Failed(FAILURE_OTHER, 0)));
    if (closed && stream->writing)
        fake.files[stream->path].bytes += stream->bytes, fake.diskRoom -= fake.diskRoom < 0 ? 0 : size;
    delete stream;
    return closed;
}

int KindOfFile(const char *path)
{
    auto found = fake.files.find(path);
    return found == fake.files.end() ? KIND_MISSING : found->second.folder ? KIND_FOLDER
           : found->second.readOnly ? KIND_READ_ONLY : KIND_WRITABLE;
}

int LastFileFailure() { return fake.lastFailure; }
void PauseMilliseconds(int milliseconds) { fake.clockMs += milliseconds; }

// A moved file keeps its attributes. MOVEFILE_REPLACE_EXISTING "cannot be
// used if lpNewFileName or lpExistingFileName names a directory" (MoveFileEx),
// and a read-only file cannot be replaced, as it cannot be deleted.
static bool Move(const char *from, const char *to, bool replace)
{
    auto source = fake.files.find(from), target = fake.files.find(to);
    bool there = target != fake.files.end();
    if (!Counted(from))
        return false;
    if (source == fake.files.end() || (there && !replace))
        return Failed(FAILURE_OTHER, 0);
    if (replace && (source->second.folder || (there && (target->second.folder || target->second.readOnly))))
        return Failed(FAILURE_DENIED);
    if (!Free(source->second) || (there && !Free(target->second)))
        return false;
    FakeFile moved = source->second;
    fake.files.erase(source);
    return fake.files[to] = moved, true;
}

bool ReplaceWithFile(const char *from, const char *to) { return Move(from, to, true); }
bool MoveToUnusedName(const char *from, const char *to) { return Move(from, to, false); }

// "If the file is a read-only file, the function fails with
// ERROR_ACCESS_DENIED" (DeleteFile); a folder goes by RemoveDirectory only.
bool DeleteIfPresent(const char *path)
{
    auto found = fake.files.find(path);
    if (!Counted(path) || found == fake.files.end())
        return found == fake.files.end();
    if (found->second.folder || found->second.readOnly)
        return Failed(FAILURE_DENIED);
    return Free(found->second) && (fake.files.erase(found), true);
}

bool IsLeadByte(char first) { return (unsigned char)first >= 0x81 && (unsigned char)first <= 0xFE; }

int OpenWithShell(WindowRef, const char *path)
{
    const char *star = strchr(path, '*');
    int code = star ? (unsigned char)star[1] % 34 : SHELL_OPENED;
    fake.launches.push_back(path), fake.answers.push_back(code == 33 ? SHELL_DECLINED : code);
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
    if (std::count(fake.keysElsewhere.begin(), fake.keysElsewhere.end(), keyCode))
        return false;
    return fake.hotkeys.push_back({id, keyCode, modifiers}), true;
}

void UnregisterKey(WindowRef, int id)
{
    auto held = [&](const std::array<int, 3> &key) { return key[0] == id; };
    fake.hotkeys.erase(std::remove_if(fake.hotkeys.begin(), fake.hotkeys.end(), held), fake.hotkeys.end());
}
