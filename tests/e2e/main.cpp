// The end-to-end tests' program. ctest runs it one test at a time, by
// --gtest_filter. On any Windows, run-tests.cmd runs them all with --results,
// into test-results.txt: the machine, then GoogleTest's report of each test
// and its counts.
#include "tests/e2e/driver.h"

#include <stdio.h>

enum { LONGEST_TEST_MS = 300000 };

static HANDLE testStarted = CreateEventA(nullptr, FALSE, FALSE, nullptr);

// A test that crashes, or does not end within five minutes, ends the run as
// that test's failure. (GoogleTest built with MinGW catches no crash.)
static DWORD EndRun(const std::string &why)
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    printf("[  FAILED  ] %s.%s: %s\n", test ? test->test_suite_name() : "", test ? test->name() : "", why.c_str());
    return fflush(stdout), TerminateProcess(GetCurrentProcess(), 1);
}

static DWORD WINAPI WatchTheClock(void *)
{
    while (WaitForSingleObject(testStarted, LONGEST_TEST_MS) == WAIT_OBJECT_0) {}
    return EndRun("did not end within five minutes");
}

static LONG WINAPI OnCrash(EXCEPTION_POINTERS *crash)
{
    char code[16];
    snprintf(code, sizeof code, "0x%08lX", crash->ExceptionRecord->ExceptionCode);
    return (LONG)EndRun("crashed with exception " + std::string(code));
}

struct TestStart : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &) override { SetEvent(testStarted); }
};

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2 || strcmp(argv[1], "--results") != 0)
        return RUN_ALL_TESTS();
    OSVERSIONINFOA version = {sizeof version};
    ((LONG(WINAPI *)(OSVERSIONINFOA *))(void *)GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion"))(&version);
    printf("Jumpdeck's end-to-end tests on Windows %lu.%lu.%lu%s, code page %u, display %dx%d\n\n",
           version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber, UnderWine() ? " (Wine)" : "",
           GetACP(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    testing::UnitTest::GetInstance()->listeners().Append(new TestStart);
    SetUnhandledExceptionFilter(OnCrash);
    CloseHandle(CreateThread(nullptr, 0, WatchTheClock, nullptr, 0, nullptr));
    return RUN_ALL_TESTS();
}
