#include "bench/driver/pe_imports.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <vector>

long long FileBytes(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

static bool ReadWholeFile(const char *path, std::vector<unsigned char> *bytes)
{
    long long size = FileBytes(path);
    if (size <= 0 || size > 64 * 1024 * 1024)
        return false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->resize((size_t)size);
    DWORD got = 0;
    BOOL ok = ReadFile(file, bytes->data(), (DWORD)size, &got, nullptr);
    CloseHandle(file);
    return ok && got == size;
}

// The file offset of a relative virtual address, through the section table.
static long OffsetOf(const IMAGE_NT_HEADERS64 *headers, DWORD address)
{
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; i++, section++) {
        DWORD size = section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
        if (address >= section->VirtualAddress && address < section->VirtualAddress + size)
            return (long)(address - section->VirtualAddress + section->PointerToRawData);
    }
    return -1;
}

bool ReadImportedDlls(const char *exePath, char *names, size_t size)
{
    names[0] = 0;
    std::vector<unsigned char> image;
    if (!ReadWholeFile(exePath, &image) || image.size() < sizeof(IMAGE_DOS_HEADER))
        return false;
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
        (size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS64) > image.size())
        return false;
    const IMAGE_NT_HEADERS64 *headers = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(image.data() + dos->e_lfanew);
    if (headers->Signature != IMAGE_NT_SIGNATURE || headers->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return false;
    const IMAGE_DATA_DIRECTORY &directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return true;
    long at = OffsetOf(headers, directory.VirtualAddress);
    size_t used = 0;
    for (; at >= 0 && (size_t)at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size();
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const IMAGE_IMPORT_DESCRIPTOR *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.data() + at);
        if (entry->Name == 0)
            break;
        long name = OffsetOf(headers, entry->Name);
        if (name < 0 || memchr(image.data() + name, 0, image.size() - name) == nullptr)
            return false;
        int wrote = snprintf(names + used, size - used, "%s%s", used ? ", " : "",
                             reinterpret_cast<const char *>(image.data() + name));
        if (wrote < 0 || (size_t)wrote >= size - used)
            return false;
        used += wrote;
    }
    return true;
}
