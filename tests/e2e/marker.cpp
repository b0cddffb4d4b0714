// A launch target that leaves a trace: each start appends a line to marker.log
// beside it, "start" and the arguments it was given.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char log[MAX_PATH + 16] = "", line[MAX_PATH];
    GetModuleFileNameA(nullptr, log, MAX_PATH);
    strcpy(strrchr(log, '\\') + 1, "marker.log");
    int length = snprintf(line, sizeof line, "start%s%s\n", *arguments ? " " : "", arguments);
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, NULL);
    DWORD written = 0;
    return !WriteFile(file, line, (DWORD)length, &written, nullptr) | !CloseHandle(file);
}
