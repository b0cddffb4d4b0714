// The end-to-end tests' program. ctest runs it one test at a time, by
// --gtest_filter. On any Windows, run-tests.cmd runs it with --one-by-one:
// it describes the machine, runs every test in a process of its own, one
// after another, and writes the summary to test-results.txt beside itself.
#include "tests/e2e/driver.h"

#include <conio.h>
#include <imm.h>
#include <stdio.h>

enum { LONGEST_TEST_MS = 300000 };

// Appends a line for the test that ends to the results file that the variable
// JUMPDECK_TEST_RESULTS names, if any: passed, failed (with the first
// failure), skipped or known (a known Wine difference), with the reason.
struct ResultLine : testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo &test) override
    {
        const testing::TestResult &result = *test.result();
        std::string why;
        for (int i = 0; i < result.total_part_count() && why.empty(); i++) {
            const testing::TestPartResult &part = result.GetTestPartResult(i);
            if (!part.passed())
                why = (part.skipped() ? "" : part.file_name() + (":" + std::to_string(part.line_number())) + ": ") + part.summary();
        }
        for (int i = 0; i < result.test_property_count() && why.empty(); i++)
            why = result.GetTestProperty(i).value();
        std::replace(why.begin(), why.end(), '\n', ' ');
        why.erase(why.find_last_not_of(' ') + 1);
        char file[MAX_PATH];
        if (GetEnvironmentVariableA("JUMPDECK_TEST_RESULTS", file, MAX_PATH))
            std::ofstream(file, std::ios::app) << (result.Failed() ? "failed" : !result.Skipped() ? "passed"
                : why.rfind("known Wine difference", 0) == 0 ? "known" : "skipped") << "\t" << test.test_suite_name()
                << "." << test.name() << (why.empty() ? "" : "\t" + why) << "\n";
    }
};

// The Windows version, the code pages, the input methods and the display's
// scale, as the results begin.
static std::string DescribeMachine()
{
    OSVERSIONINFOA version = {sizeof version};
    ((LONG(WINAPI *)(OSVERSIONINFOA *))(void *)GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion"))(&version);
    auto wine = (const char *(*)())(void *)GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version");
    HDC screen = GetDC(nullptr);
    char text[512];
    snprintf(text, sizeof text, "Windows %lu.%lu.%lu%s%s\nANSI code page %u, OEM code page %u\ndisplay %dx%d, %d dpi (%d %%)\n"
             "input methods:", version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber, wine ? ", Wine " : "",
             wine ? wine() : "", GetACP(), GetOEMCP(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
             GetDeviceCaps(screen, LOGPIXELSX), MulDiv(GetDeviceCaps(screen, LOGPIXELSX), 100, 96));
    ReleaseDC(nullptr, screen);
    std::string machine = text;
    HKL layouts[32];
    for (int i = 0, count = GetKeyboardLayoutList(32, layouts); i < count; i++) {
        char language[64] = "", name[128] = "";
        GetLocaleInfoA(LOWORD((UINT_PTR)layouts[i]), LOCALE_SENGLANGUAGE, language, sizeof language);
        ImmGetDescriptionA(layouts[i], name, sizeof name);
        machine += std::string(" ") + language + (*name ? " (" + std::string(name) + ")" : "");
    }
    return machine + "\n\n";
}

// Double-clicked, cmd runs run-tests.cmd by its full path in quotes, in a
// console of its own that closes when the script ends: the summary then waits
// for a key. run-tests.cmd passes on how cmd was started.
static bool DoubleClicked()
{
    char line[1024] = "";
    DWORD processes[4];
    std::string script = "\"" + Beside("run-tests.cmd") + "\"";
    GetEnvironmentVariableA("JUMPDECK_CMDLINE", line, sizeof line);
    return strstr(CharLowerA(line), CharLowerA(script.data())) && GetConsoleProcessList(processes, 4) <= 2;
}

// Each test in a process of its own, given five minutes; a test that ends
// without a word, or not at all, has failed. Returns 1 when any failed.
static int RunOneByOne()
{
    SetProcessDPIAware();  // this process clicks nothing: it reads the display as it is
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string results = Beside("test-results.txt"), statuses[] = {"passed", "failed", "skipped", "known"};
    std::ofstream(results) << "Jumpdeck's end-to-end tests on " << DescribeMachine();
    printf("%s", ReadBytes(results).c_str());
    SetEnvironmentVariableA("JUMPDECK_TEST_RESULTS", results.c_str());
    int tally[4] = {}, count = testing::UnitTest::GetInstance()->total_test_count(), done = 0;
    for (int i = 0; i < testing::UnitTest::GetInstance()->total_test_suite_count(); i++)
        for (int j = 0; const testing::TestInfo *test = testing::UnitTest::GetInstance()->GetTestSuite(i)->GetTestInfo(j); j++) {
            std::string name = test->test_suite_name() + ("." + std::string(test->name())), before = ReadBytes(results);
            std::string command = "\"" + std::string(self) + "\" --gtest_brief=1 --gtest_filter=" + name;
            printf("[%d/%d] %s\n", ++done, count, name.c_str()), fflush(stdout);
            STARTUPINFOA startup = {sizeof startup};
            PROCESS_INFORMATION child = {};
            DWORD code = 0, waited = WAIT_FAILED;
            if (CreateProcessA(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
                if ((waited = WaitForSingleObject(child.hProcess, LONGEST_TEST_MS)) == WAIT_TIMEOUT)
                    TerminateProcess(child.hProcess, 1);
                GetExitCodeProcess(child.hProcess, &code), CloseHandle(child.hProcess), CloseHandle(child.hThread);
            }
            std::string line = ReadBytes(results).substr(before.size());
            if (line.empty())
                std::ofstream(results, std::ios::app) << (line = "failed\t" + name + (waited == WAIT_TIMEOUT ?
                    "\tdid not end within five minutes\n" : "\tended with code " + std::to_string(code) + ", saying nothing\n"));
            printf("%s", line.c_str());
            tally[std::find(statuses, statuses + 3, line.substr(0, line.find('\t'))) - statuses]++;  // else known
        }
    std::string summary = std::to_string(tally[0]) + " passed, " + std::to_string(tally[1]) + " failed, " +
        std::to_string(tally[2]) + " skipped, " + std::to_string(tally[3]) + " known Wine differences\n";
    std::ofstream(results, std::ios::app) << summary;
    printf("\n%sThe summary is in %s\n", summary.c_str(), results.c_str());
    if (DoubleClicked())
        printf("Press a key to close this window."), _getch();
    return tally[1] > 0;
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResultLine);
    return argc == 2 && strcmp(argv[1], "--one-by-one") == 0 ? RunOneByOne() : RUN_ALL_TESTS();
}
