// Each store test runs in a fresh directory of its own, which is also the
// start-up directory, with a clean slot table and a clean fake platform.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "store/settings_files.h"
#include "tests/fake_platform.h"

// File names go through the C runtime as code-page bytes, as the program's own
// do (std::filesystem would take them for UTF-8 on Windows).
inline void WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

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

class StoreTest : public ::testing::Test {
protected:
    std::filesystem::path directory;
    std::filesystem::path previous;

    void SetUp() override
    {
        ResetFake();
        previous = std::filesystem::current_path();
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    ("jumpdeck-" + std::string(test->test_suite_name()) + "-" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        std::filesystem::current_path(directory);
        CaptureStartupPaths();
    }

    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }

    std::string PathOf(const char *name) { return directory.string() + PATH_SEPARATOR + name; }
    std::string Read(const char *name) { return ReadBytes(PathOf(name)); }
    void Write(const char *name, const std::string &bytes) { WriteBytes(PathOf(name), bytes); }
    bool Exists(const char *name) { return FileExists(PathOf(name)); }
    void Remove(const char *name) { remove(PathOf(name).c_str()); }
};
