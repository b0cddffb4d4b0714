// Jumpdeck started from the folder its release archive was unpacked into, as a
// user starts it: its window appears, and its two data files and its manual
// appear, empty, in that folder and nowhere else.
//   package_start_test FOLDER
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

static std::string unpacked;

// Names as the program sees them: code-page bytes.
static std::set<std::string> FilesIn(const std::string &folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

static long long FileBytes(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

static HWND VisibleWindowOf(DWORD processId, const char *className)
{
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// A job that ends the program, and whatever it opened, when the test ends.
struct JobHandle {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JobHandle()
    {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    ~JobHandle() { CloseHandle(job); }
};

TEST(Package, StartsFromTheUnpackedFolderAndMakesItsFilesThere)
{
    const std::set<std::string> shipped = {"Jumpdeck.exe", "LICENSE", "README.md"};
    ASSERT_EQ(FilesIn(unpacked), shipped) << "the folder should hold the unpacked archive only";

    JobHandle job;
    std::string program = unpacked + "\\Jumpdeck.exe";
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, unpacked.c_str(), &startup, &started))
        << "error " << GetLastError();
    ASSERT_TRUE(AssignProcessToJobObject(job.job, started.hProcess));
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);

    EXPECT_EQ(WaitForInputIdle(started.hProcess, 20000), 0u);
    HWND window = nullptr;
    for (DWORD begun = GetTickCount(); window == nullptr && GetTickCount() - begun < 20000; Sleep(20))
        window = VisibleWindowOf(started.dwProcessId, "DECKWND");
    ASSERT_NE(window, nullptr) << "no visible Jumpdeck window";
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Jumpdeck");

    std::set<std::string> expected = shipped;
    for (const char *made : {"l.z", "z.l", "生命手册.txt"}) {
        expected.insert(made);
        EXPECT_EQ(FileBytes(unpacked + "\\" + made), 0) << made << " should be there, empty";
    }
    EXPECT_EQ(FilesIn(unpacked), expected);

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(started.hProcess, 10000), WAIT_OBJECT_0) << "the window did not close";
    DWORD exitCode = 1;
    GetExitCodeProcess(started.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(started.hProcess);
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    char folder[MAX_PATH];
    DWORD length = argc == 2 ? GetFullPathNameA(argv[1], sizeof folder, folder, nullptr) : 0;
    if (length == 0 || length >= sizeof folder) {
        fprintf(stderr, "usage: package_start_test FOLDER\n");
        return 2;
    }
    unpacked = folder;
    return RUN_ALL_TESTS();
}
