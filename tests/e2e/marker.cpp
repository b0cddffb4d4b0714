// A launch target that leaves a trace: each start appends "start ARG" (ARG is
// its first argument, "-" without one) as a line to marker.log beside it.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH], line[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, log, sizeof log);
    char *name = strrchr(log, '\\');
    if (length == 0 || name == nullptr || name + 11 >= log + sizeof log)
        return 1;
    strcpy(name + 1, "marker.log");
    int size = snprintf(line, sizeof line, "start %s\n", __argc > 1 ? __argv[1] : "-");
    // Starts that overlap take turns: the log is opened without sharing.
    for (int attempt = 0; attempt < 500; attempt++, Sleep(10)) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, (DWORD)size, &written, nullptr);
            CloseHandle(file);
            return written == (DWORD)size ? 0 : 1;
        }
    }
    return 1;
}
