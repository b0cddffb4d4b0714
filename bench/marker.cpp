// The program the benchmark launches by key. Its first act is to read the
// performance counter, which every process of the machine shares, so the
// driver can subtract the moment it pressed the key. The reading goes, as
// eight raw bytes, to a file named like this program with the extension
// ".qpc", written under another name first so the driver never reads half.
#include <windows.h>
#include <string.h>

int main()
{
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);

    char stamp[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, stamp, sizeof stamp);
    char *dot = strrchr(stamp, '.');
    if (length == 0 || length >= sizeof stamp || dot == nullptr || dot + 5 > stamp + sizeof stamp)
        return 1;
    char partial[MAX_PATH];
    memcpy(dot, ".tmp", 5);
    memcpy(partial, stamp, sizeof partial);
    memcpy(dot, ".qpc", 5);

    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, &started.QuadPart, sizeof started.QuadPart, &written, nullptr);
    CloseHandle(file);
    if (!ok || written != sizeof started.QuadPart)
        return 1;
    return MoveFileExA(partial, stamp, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
