// The few services of the operating system that the store and the launcher use.
// On Windows they are the Win32 calls (platform_win32.cpp); the tests link a
// recording stand-in instead. Nothing here includes <windows.h>.
#pragma once

#include <stddef.h>

#ifdef _WIN32
#define PATH_SEPARATOR '\\'
#else
#define PATH_SEPARATOR '/'
#endif

// The main window as the store and the launcher see it: an opaque handle.
typedef void *WindowRef;

// Set once the main window exists; empty before.
extern WindowRef mainWindow;

enum NoticeButton { NOTICE_OK = 1, NOTICE_CANCEL = 2 };

// The notice box: no owner, caption "提示", no icon; OK, or OK and Cancel.
// Returns the button pressed.
int ShowNotice(const char *text, bool withCancel);

// Copies the process's current directory into buffer (zero-terminated) and
// returns its length, or 0 when it does not fit or cannot be read.
size_t ReadCurrentDirectory(char *buffer, size_t size);

// Buffered file streams, opened with the C runtime's modes ("rb", "wb", "ab").
struct Stream;
Stream *OpenStream(const char *path, const char *mode);
long StreamSize(Stream *stream);
bool SeekStream(Stream *stream, long offset);
size_t ReadStream(Stream *stream, void *buffer, size_t size);
bool WriteStream(Stream *stream, const void *data, size_t size);
bool CloseStream(Stream *stream);  // false when buffered bytes could not be written

// What the file system says of a name, asked of its attributes, not by
// opening it: a file another program holds is there all the same.
enum FileKind { KIND_MISSING, KIND_WRITABLE, KIND_READ_ONLY, KIND_FOLDER };
int KindOfFile(const char *path);

// Why the file call that just failed failed: the file in use by another
// program (a sharing or lock violation), access denied, or anything else.
// Virus scanners, the search indexer and sync clients open new files for a
// moment, so a file in use may be free again soon; so may a file whose access
// is denied while its deletion is pending. A read-only file or a folder
// denies it for good.
enum FileFailure { FAILURE_IN_USE = 1, FAILURE_DENIED, FAILURE_OTHER };
int LastFileFailure();
void PauseMilliseconds(int milliseconds);

// Puts the file at from in place of the file at to in one step, replacing it.
bool ReplaceWithFile(const char *from, const char *to);
// Moves the file at from to the name to, and fails if anything is there.
bool MoveToUnusedName(const char *from, const char *to);
// Returns false when a file is there and stays.
bool DeleteIfPresent(const char *path);

// The first byte of a two-byte character in the ANSI code page (936: a Chinese
// character's lead byte). Alone it is half a character.
bool IsLeadByte(char first);

// The shell's default action on a path, with no error box of the shell's own.
// Returns SHELL_OPENED; SHELL_DECLINED when the user said no to a question
// the shell asked (the administrator prompt of a program that needs it, the
// warning before a downloaded program); else the shell's error code, 0 to 32:
// 2 not found, 3 a folder on the way not found, 5 access denied, 8 (or 0) too
// little memory, 27 and 31 no program for this kind of file.
enum { SHELL_OPENED = -1, SHELL_DECLINED = -2 };
int OpenWithShell(WindowRef owner, const char *path);

void HideMainWindow(WindowRef window);
void ShowMainWindow(WindowRef window);

// System-wide hotkeys. RegisterKey returns false when the system refuses the
// key (held elsewhere, or invalid). KEY_NO_REPEAT (the system's MOD_NOREPEAT)
// makes a held key send its hotkey once, not again at every auto-repeat.
enum { KEY_NO_REPEAT = 0x4000 };
bool RegisterKey(WindowRef window, int id, int keyCode, int modifiers);
void UnregisterKey(WindowRef window, int id);
