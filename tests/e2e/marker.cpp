// A launch target that leaves a trace: each start appends "start ARG" (ARG is
// its first argument, "-" without one) as a line to marker.log beside it.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, log, sizeof log);
    char *name = strrchr(log, '\\');
    if (length == 0 || name == nullptr)
        return 1;
    snprintf(name + 1, sizeof log - (size_t)(name + 1 - log), "marker.log");

    char line[MAX_PATH];
    int size = snprintf(line, sizeof line, "start %s\n", __argc > 1 ? __argv[1] : "-");
    // Starts that overlap take turns: the log is opened without sharing.
    for (int attempt = 0; attempt < 500; attempt++) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, (DWORD)size, &written, nullptr);
            CloseHandle(file);
            return written == (DWORD)size ? 0 : 1;
        }
        Sleep(10);
    }
    return 1;
}
