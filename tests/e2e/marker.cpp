// A launch target that leaves a trace: each start appends a line to marker.log beside it.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH + 16] = "";
    GetModuleFileNameA(nullptr, log, MAX_PATH);
    strcpy(strrchr(log, '\\') + 1, "marker.log");
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    return !WriteFile(file, "start\n", 6, &written, nullptr) | !CloseHandle(file);
}
