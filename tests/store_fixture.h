// Each store test runs in a fresh directory of its own, which is also the
// start-up directory, with a clean slot table and a clean fake platform.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/settings_files.h"
#include "tests/fake_platform.h"
#include "tests/file_bytes.h"

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
    void Write(const char *name, const std::string &bytes) { ASSERT_TRUE(WriteBytes(PathOf(name), bytes)) << name; }
    bool Exists(const char *name) { return FileExists(PathOf(name)); }
    void Remove(const char *name) { remove(PathOf(name).c_str()); }
};
