// Whole files as bytes, for the tests on every platform. File names go through
// the C runtime as code-page bytes, as the program's own do (std::filesystem
// would take them for UTF-8 on Windows).
#pragma once

#include <cstdio>
#include <string>

inline bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// Empty when the file cannot be read.
inline std::string ReadBytes(const std::string &path)
{
    std::string bytes;
    if (FILE *file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, got);
        fclose(file);
    }
    return bytes;
}

inline bool FileExists(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (file != nullptr)
        fclose(file);
    return file != nullptr;
}
