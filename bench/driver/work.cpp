#include "bench/driver/work.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/bench_keys.h"
#include "bench/driver/child.h"

static bool WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
              written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!ok)
        snprintf(childProblem, sizeof childProblem, "cannot write %s (error %lu)", path.c_str(), GetLastError());
    return ok;
}

// Everything below the work folder goes; the folder itself may stay.
static void Empty(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Empty(path), RemoveDirectoryA(path.c_str());
        else
            DeleteFileA(path.c_str());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// The key file: seven key bytes, seven lengths right-aligned in two
// characters, the hotkey switch the same way; the path file: the paths back
// to back.
static bool WriteDataFiles(const std::string &folder, const std::vector<std::string> &targets, bool hotkeys)
{
    std::string keys = std::string(1, BENCH_LAUNCH_KEY) + "we" + std::string(1, '\0') + "rty", paths;
    char field[8];
    for (const std::string &target : targets) {
        snprintf(field, sizeof field, "%2d", (int)target.size());
        keys += field, paths += target;
    }
    keys += hotkeys ? " 1" : " 0";
    return CreateDirectoryA(folder.c_str(), nullptr) && WriteBytes(folder + "\\l.z", keys) &&
           WriteBytes(folder + "\\z.l", paths) && WriteBytes(folder + "\\生命手册.txt", "");
}

bool PrepareWork(const char *work, const char *marker)
{
    std::string root = work;
    CreateDirectoryA(root.c_str(), nullptr);
    Empty(root);
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    std::vector<std::string> targets = {root + "\\marker\\marker.exe", root + "\\notes.txt", root, "",
                                        std::string(windows) + "\\notepad.exe", std::string(windows) + "\\win.ini",
                                        std::string(windows) + "\\system32"};
    for (const std::string &target : targets) {
        if (target.size() > 99) {
            snprintf(childProblem, sizeof childProblem, "%s is longer than a binding can be", target.c_str());
            return false;
        }
    }
    if (!CreateDirectoryA((root + "\\marker").c_str(), nullptr) || !CopyFileA(marker, targets[0].c_str(), FALSE)) {
        snprintf(childProblem, sizeof childProblem, "cannot copy %s into %s (error %lu)", marker, work, GetLastError());
        return false;
    }
    return WriteBytes(targets[1], "notes\r\n") && WriteDataFiles(root + "\\start", targets, false) &&
           WriteDataFiles(root + "\\key", targets, true);
}

long long FileBytes(const char *program)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(program, GetFileExInfoStandard, &data))
        return -1;
    return (long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

// The import table, read from the file: its directory entry gives an address
// in the loaded image, which a section header turns into a file offset.
bool ImportedDlls(const char *program, char *names, size_t size)
{
    names[0] = 0;
    HANDLE file = CreateFileA(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string image((size_t)GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    bool ok = ReadFile(file, &image[0], (DWORD)image.size(), &read, nullptr) && read == image.size();
    CloseHandle(file);
    auto at = [&](size_t offset, size_t bytes) {
        return ok && offset + bytes <= image.size() ? &image[offset] : nullptr;
    };
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)at(0, sizeof(IMAGE_DOS_HEADER));
    const IMAGE_NT_HEADERS64 *nt =
        dos ? (const IMAGE_NT_HEADERS64 *)at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)) : nullptr;
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return false;
    const IMAGE_SECTION_HEADER *sections = IMAGE_FIRST_SECTION(nt);
    auto offsetOf = [&](DWORD address) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++) {
            const IMAGE_SECTION_HEADER &section = sections[i];
            if (address >= section.VirtualAddress && address < section.VirtualAddress + section.SizeOfRawData)
                return address - section.VirtualAddress + section.PointerToRawData;
        }
        return image.size();
    };
    DWORD table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t entry = offsetOf(table);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const IMAGE_IMPORT_DESCRIPTOR *import =
            (const IMAGE_IMPORT_DESCRIPTOR *)at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR));
        if (import == nullptr)
            return false;
        if (import->Name == 0)
            return true;
        const char *name = at(offsetOf(import->Name), 1);
        if (name == nullptr ||
            strnlen(name, image.size() - (name - image.data())) == image.size() - (name - image.data()))
            return false;
        snprintf(names + strlen(names), size - strlen(names), "%s%s", names[0] ? ", " : "", name);
    }
}

bool SystemDllsOnly(const char *names)
{
    static const char *const SYSTEM[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comdlg32.dll",
                                         "imm32.dll", "msvcrt.dll", "advapi32.dll", "comctl32.dll", "ole32.dll",
                                         "shlwapi.dll"};
    std::string list = std::string(names) + ", ";
    for (size_t start = 0, end; (end = list.find(", ", start)) != std::string::npos; start = end + 2) {
        std::string name = list.substr(start, end - start);
        bool known = name.rfind("api-ms-win-", 0) == 0;
        for (const char *system : SYSTEM)
            known = known || lstrcmpiA(name.c_str(), system) == 0;
        if (!known && !name.empty())
            return false;
    }
    return true;
}
