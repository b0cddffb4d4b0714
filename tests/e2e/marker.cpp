// A launch target that leaves a trace: each start appends a line to marker.log beside it.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH + 16] = "";
    GetModuleFileNameA(nullptr, log, MAX_PATH);
    strcpy(strrchr(log, '\\') + 1, "marker.log");
    for (int attempt = 0; attempt < 500; attempt++, Sleep(10)) {  // starts that overlap take turns
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE)
            return !WriteFile(file, "start\n", 6, &written, nullptr) | !CloseHandle(file);
    }
    return 1;
}
