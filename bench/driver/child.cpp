#include "bench/driver/child.h"

#include <psapi.h>
#include <stdio.h>

char childProblem[256];

bool StartChild(Child *child, const char *program, const char *argument, const char *folder)
{
    *child = Child{};
    char commandLine[1024];
    snprintf(commandLine, sizeof commandLine, "\"%s\"%s%s", program, argument[0] ? " " : "", argument);

    child->job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (child->job == nullptr ||
        !SetInformationJobObject(child->job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        snprintf(childProblem, sizeof childProblem, "cannot make a job object (error %lu)", GetLastError());
        return false;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, folder,
                        &startup, &started)) {
        snprintf(childProblem, sizeof childProblem, "cannot start %s (error %lu)", program, GetLastError());
        CloseHandle(child->job);
        child->job = nullptr;
        return false;
    }
    child->process = started.hProcess;
    child->processId = started.dwProcessId;
    if (!AssignProcessToJobObject(child->job, started.hProcess)) {
        snprintf(childProblem, sizeof childProblem, "cannot put %s in a job (error %lu)", program, GetLastError());
        TerminateProcess(started.hProcess, 1);
        CloseHandle(started.hThread);
        StopChild(child);
        return false;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    return true;
}

struct WindowSearch {
    DWORD processId;
    HWND window;
    HWND noticeBox;
};

static BOOL CALLBACK ConsiderWindow(HWND window, LPARAM context)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
        search->noticeBox = window;
        return TRUE;
    }
    search->window = window;
    return FALSE;
}

bool WaitUntilShown(Child *child, DWORD timeoutMs)
{
    DWORD begun = GetTickCount();
    DWORD idle = WaitForInputIdle(child->process, timeoutMs);
    if (idle != 0) {
        snprintf(childProblem, sizeof childProblem, "the program never waited for input (%s)",
                 idle == WAIT_TIMEOUT ? "timeout" : "failed");
        return false;
    }
    // Wine can report the program idle before its window exists.
    for (;;) {
        WindowSearch search = {child->processId, nullptr, nullptr};
        EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(&search));
        if (search.window != nullptr) {
            child->window = search.window;
            return true;
        }
        if (search.noticeBox != nullptr) {
            char text[200] = "";
            GetDlgItemTextA(search.noticeBox, 0xFFFF, text, sizeof text);
            snprintf(childProblem, sizeof childProblem, "the program shows a notice box: %s", text);
            return false;
        }
        if (WaitForSingleObject(child->process, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(child->process, &code);
            snprintf(childProblem, sizeof childProblem, "the program ended with code %lu", code);
            return false;
        }
        if (GetTickCount() - begun > timeoutMs) {
            snprintf(childProblem, sizeof childProblem, "no visible window after %lu ms", timeoutMs);
            return false;
        }
        Sleep(1);
    }
}

void StopChild(Child *child)
{
    if (child->job != nullptr) {
        TerminateJobObject(child->job, 0);
        CloseHandle(child->job);
    }
    if (child->process != nullptr) {
        WaitForSingleObject(child->process, 10000);
        CloseHandle(child->process);
    }
    *child = Child{};
}

static double Milliseconds(const FILETIME &time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return ticks.QuadPart / 10000.0;
}

double CpuMilliseconds(const Child &child)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(child.process, &created, &ended, &kernel, &user))
        return -1;
    return Milliseconds(kernel) + Milliseconds(user);
}

bool ReadMemory(const Child &child, size_t *workingSetBytes, size_t *privateBytes)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(child.process, &counters, sizeof counters))
        return false;
    *workingSetBytes = counters.WorkingSetSize;
    // The commit charge, which Windows also reports as PrivateUsage; Wine
    // fills only this field of the two.
    *privateBytes = counters.PagefileUsage;
    return true;
}
