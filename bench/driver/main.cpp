// The benchmark driver: measures Jumpdeck against the two floor programs and
// prints one Markdown table. Run by tools/bench under Wine; runs as well on
// Windows. Usage:
//   bench --jumpdeck EXE --floor-window EXE --floor-hotkey EXE --marker EXE
//         [--work FOLDER] [--runs N] [--warmups N] [--idle-seconds S] [--verbose 1]
//         [--only start-up|key|idle]
// Any window program can stand in for Jumpdeck (the floor-hotkey does, to try
// the driver): every program gets the marker's path as its command line,
// which Jumpdeck ignores and floor-hotkey launches.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/bench_keys.h"
#include "bench/driver/child.h"
#include "bench/driver/pe_imports.h"
#include "bench/driver/run_folders.h"
#include "bench/driver/samples.h"

struct Options {
    char jumpdeck[MAX_PATH];
    char floorWindow[MAX_PATH];
    char floorHotkey[MAX_PATH];
    char marker[MAX_PATH];
    char work[MAX_PATH];
    int runs;
    int warmups;
    int idleSeconds;
    bool verbose;  // every run's figure to the error output
    const char *only;  // one group of figures, for looking into one of them
};

static bool Measures(const Options &options, const char *figures)
{
    return options.only == nullptr || strcmp(options.only, figures) == 0;
}

enum {
    SHOW_TIMEOUT_MS = 20000,
    KEY_TIMEOUT_MS = 5000,
    LAUNCH_TIMEOUT_MS = 10000,
    SETTLE_MS = 200,  // after start-up, before a key is pressed
    PAUSE_MS = 100,   // between runs, for Wine and the X server to finish with the last one
    ATTEMPTS = 3,     // a run that fails is tried again, up to this many times in all
    PROBE_HOTKEY_ID = 0xB000,
};

static LARGE_INTEGER counterFrequency;
static int repeatedRuns;
static char lastRepeatReason[256];

static double CounterMilliseconds(LONGLONG ticks) { return ticks * 1000.0 / counterFrequency.QuadPart; }

static LONGLONG ReadCounter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

static void Fail(const char *what, const char *why)
{
    fprintf(stderr, "bench: %s: %s\n", what, why);
    exit(1);
}

// ---- Start-up: CreateProcess until the program waits for input, window shown.

static bool TimeStartup(const char *program, const RunFolders &folders, double *ms)
{
    Child child;
    LONGLONG begun = ReadCounter();
    if (!StartChild(&child, program, folders.marker, folders.start))
        return false;
    bool shown = WaitUntilShown(&child, SHOW_TIMEOUT_MS);
    LONGLONG ended = ReadCounter();
    StopChild(&child);
    *ms = CounterMilliseconds(ended - begun);
    return shown;
}

// ---- Key to launch: SendInput of the bound key until the marker's first line.

// Whether some program holds the launch key as a hotkey: this thread tries to
// register it and gives it back at once.
static bool LaunchKeyIsHeld()
{
    if (!RegisterHotKey(nullptr, PROBE_HOTKEY_ID, 0, BENCH_LAUNCH_VIRTUAL_KEY))
        return true;
    UnregisterHotKey(nullptr, PROBE_HOTKEY_ID);
    return false;
}

static bool WaitForLaunchKey(bool held)
{
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < KEY_TIMEOUT_MS; Sleep(10))
        if (LaunchKeyIsHeld() == held)
            return true;
    snprintf(childProblem, sizeof childProblem, held ? "the program never registered the launch key"
                                                     : "another program holds the launch key");
    return false;
}

static bool ReadMarkerStamp(const char *path, LONGLONG *stamp)
{
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < LAUNCH_TIMEOUT_MS; Sleep(2)) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD got = 0;
        BOOL ok = ReadFile(file, stamp, sizeof *stamp, &got, nullptr);
        CloseHandle(file);
        if (ok && got == sizeof *stamp)
            return true;
    }
    snprintf(childProblem, sizeof childProblem, "the marker did not start within %d ms", LAUNCH_TIMEOUT_MS);
    return false;
}

static void PressLaunchKey()
{
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = BENCH_LAUNCH_VIRTUAL_KEY;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
}

static bool TimeKeyToLaunch(const char *program, const RunFolders &folders, double *ms)
{
    if (!WaitForLaunchKey(false))
        return false;
    DeleteFileA(folders.markerStamp);
    Child child;
    if (!StartChild(&child, program, folders.marker, folders.key))
        return false;
    bool launched = false;
    if (WaitUntilShown(&child, SHOW_TIMEOUT_MS) && WaitForLaunchKey(true)) {
        Sleep(SETTLE_MS);
        LONGLONG pressed = ReadCounter();
        PressLaunchKey();
        LONGLONG started = 0;
        launched = ReadMarkerStamp(folders.markerStamp, &started);
        *ms = CounterMilliseconds(started - pressed);
    }
    StopChild(&child);
    return launched;
}

// ---- Idle cost and memory: both programs side by side, after start-up.

struct IdleFigures {
    Samples cpuMs;
    Samples threads;
    Samples workingSetKiB;
    Samples privateKiB;
};

struct IdleRun {
    Child child;
    double cpuAtStart;
};

static bool MeasureIdle(const char *first, IdleFigures *firstFigures, const char *second,
                        IdleFigures *secondFigures, const RunFolders &folders, int seconds, bool verbose)
{
    IdleRun runs[2] = {};
    const char *programs[2] = {first, second};
    IdleFigures *figures[2] = {firstFigures, secondFigures};
    bool ok = true;
    for (int i = 0; i < 2 && ok; i++)
        ok = StartChild(&runs[i].child, programs[i], folders.marker, folders.start) &&
             WaitUntilShown(&runs[i].child, SHOW_TIMEOUT_MS);
    if (ok) {
        for (IdleRun &run : runs)
            run.cpuAtStart = CpuMilliseconds(run.child);
        Sleep(seconds * 1000);
        for (int i = 0; i < 2 && ok; i++) {
            size_t workingSet = 0, privateBytes = 0;
            double cpu = CpuMilliseconds(runs[i].child);
            int threads = CountThreads(runs[i].child);
            ok = cpu >= 0 && runs[i].cpuAtStart >= 0 && threads > 0 &&
                 ReadMemory(runs[i].child, &workingSet, &privateBytes) &&
                 WaitForSingleObject(runs[i].child.process, 0) == WAIT_TIMEOUT;
            if (!ok) {
                snprintf(childProblem, sizeof childProblem, "cannot read the figures of %s", programs[i]);
                break;
            }
            figures[i]->cpuMs.values.push_back(cpu - runs[i].cpuAtStart);
            if (verbose)
                fprintf(stderr, "%s: %.1f ms CPU, %d threads, %lu KiB working set, %lu KiB private\n",
                        programs[i], cpu - runs[i].cpuAtStart, threads, (unsigned long)(workingSet / 1024),
                        (unsigned long)(privateBytes / 1024));
            figures[i]->threads.values.push_back(threads);
            figures[i]->workingSetKiB.values.push_back(workingSet / 1024.0);
            figures[i]->privateKiB.values.push_back(privateBytes / 1024.0);
        }
    }
    for (IdleRun &run : runs)
        StopChild(&run.child);
    return ok;
}

// ---- Runs.

template <typename Run> static void Attempt(const char *what, Run run)
{
    for (int attempt = 1;; attempt++) {
        if (run())
            return;
        if (attempt == ATTEMPTS)
            Fail(what, childProblem);
        repeatedRuns++;
        snprintf(lastRepeatReason, sizeof lastRepeatReason, "%s: %s", what, childProblem);
        fprintf(stderr, "bench: %s failed (%s), trying again\n", what, childProblem);
        Sleep(500);
    }
}

// Runs the subject and the floor by turns; the warm-up runs are not kept.
template <typename Time>
static void Alternate(const char *what, const Options &options, const char *subject, Samples *subjectSamples,
                      const char *floor, Samples *floorSamples, Time time)
{
    for (int i = 0; i < options.warmups + options.runs; i++) {
        fprintf(stderr, "\rbench: %s, run %d of %d ", what, i + 1, options.warmups + options.runs);
        double subjectMs = 0, floorMs = 0;
        Sleep(PAUSE_MS);
        Attempt(what, [&] { return time(subject, &subjectMs); });
        Sleep(PAUSE_MS);
        Attempt(what, [&] { return time(floor, &floorMs); });
        if (options.verbose)
            fprintf(stderr, "%s %.1f ms, floor %.1f ms\n", i < options.warmups ? "warm-up" : "kept", subjectMs,
                    floorMs);
        if (i >= options.warmups) {
            subjectSamples->values.push_back(subjectMs);
            floorSamples->values.push_back(floorMs);
        }
    }
    fprintf(stderr, "\n");
}

// ---- The table.

static const char *BaseName(const char *path)
{
    const char *name = path;
    for (const char *at = path; *at; at++)
        if (*at == '\\' || *at == '/')
            name = at + 1;
    return name;
}

static void Spread(char *text, size_t size, const Samples &samples, int decimals)
{
    snprintf(text, size, "%.*f (%.*f-%.*f)", decimals, samples.Median(), decimals, samples.Min(), decimals,
             samples.Max());
}

static void Row(const char *figure, const Samples &subject, const Samples &floor, int decimals,
                double ratioTarget)
{
    char subjectText[80], floorText[80];
    Spread(subjectText, sizeof subjectText, subject, decimals);
    Spread(floorText, sizeof floorText, floor, decimals);
    if (ratioTarget > 0 && floor.Median() > 0) {
        double ratio = subject.Median() / floor.Median();
        printf("| %s | %s | %s | %.2fx | <= %.2fx | %s |\n", figure, subjectText, floorText, ratio, ratioTarget,
               ratio <= ratioTarget ? "yes" : "no");
    } else {
        printf("| %s | %s | %s | | | |\n", figure, subjectText, floorText);
    }
}

static int RunsAboveZero(const Samples &samples)
{
    int count = 0;
    for (double value : samples.values)
        count += value > 0;
    return count;
}

// System DLLs that every Windows has; anything else would have to be shipped.
static bool AllSystemDlls(const char *names)
{
    static const char *const SYSTEM_DLLS[] = {"kernel32.dll", "user32.dll", "gdi32.dll",    "shell32.dll",
                                              "comdlg32.dll", "msvcrt.dll", "advapi32.dll", "comctl32.dll",
                                              "ole32.dll",    "shlwapi.dll"};
    char list[1024];
    snprintf(list, sizeof list, "%s", names);
    for (char *name = strtok(list, ", "); name != nullptr; name = strtok(nullptr, ", ")) {
        bool known = strncmp(name, "api-ms-win-", 11) == 0;
        for (const char *system : SYSTEM_DLLS)
            known = known || lstrcmpiA(name, system) == 0;
        if (!known)
            return false;
    }
    return true;
}

static void PrintSize(const Options &options)
{
    long long subjectBytes = FileBytes(options.jumpdeck);
    long long floorBytes = FileBytes(options.floorWindow);
    char subjectDlls[1024], floorDlls[1024];
    if (subjectBytes < 0 || floorBytes < 0 || !ReadImportedDlls(options.jumpdeck, subjectDlls, sizeof subjectDlls) ||
        !ReadImportedDlls(options.floorWindow, floorDlls, sizeof floorDlls))
        Fail("size", "cannot read the executables");
    printf("| exe size, bytes (floor-window) | %lu | %lu | %.2fx | <= 65536 | %s |\n", (unsigned long)subjectBytes,
           (unsigned long)floorBytes,
           (double)subjectBytes / floorBytes, subjectBytes <= 65536 ? "yes" : "no");
    printf("| imported DLLs (floor-window) | %s | %s | | system DLLs only | %s |\n", subjectDlls, floorDlls,
           AllSystemDlls(subjectDlls) ? "yes" : "no");
}

// ---- Options.

static void FullPath(const char *given, char (&path)[MAX_PATH])
{
    DWORD length = GetFullPathNameA(given, sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path)
        Fail(given, "path too long");
}

static Options ReadOptions(int argc, char **argv)
{
    Options options = {};
    FullPath("C:\\jdbench", options.work);
    options.runs = 20;
    options.warmups = 3;
    options.idleSeconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *name = argv[i], *value = argv[i + 1];
        if (strcmp(name, "--jumpdeck") == 0)
            FullPath(value, options.jumpdeck);
        else if (strcmp(name, "--floor-window") == 0)
            FullPath(value, options.floorWindow);
        else if (strcmp(name, "--floor-hotkey") == 0)
            FullPath(value, options.floorHotkey);
        else if (strcmp(name, "--marker") == 0)
            FullPath(value, options.marker);
        else if (strcmp(name, "--work") == 0)
            FullPath(value, options.work);
        else if (strcmp(name, "--runs") == 0)
            options.runs = atoi(value);
        else if (strcmp(name, "--warmups") == 0)
            options.warmups = atoi(value);
        else if (strcmp(name, "--idle-seconds") == 0)
            options.idleSeconds = atoi(value);
        else if (strcmp(name, "--verbose") == 0)
            options.verbose = atoi(value) != 0;
        else if (strcmp(name, "--only") == 0)
            options.only = value;
        else
            Fail(name, "unknown option");
    }
    if (argc % 2 == 0 || !options.jumpdeck[0] || !options.floorWindow[0] || !options.floorHotkey[0] ||
        !options.marker[0] || options.runs < 1 || options.warmups < 0 || options.idleSeconds < 1)
        Fail("usage", "bench --jumpdeck EXE --floor-window EXE --floor-hotkey EXE --marker EXE [--work FOLDER] "
                      "[--runs N] [--warmups N] [--idle-seconds S] [--verbose 1] [--only start-up|key|idle]");
    return options;
}

int main(int argc, char **argv)
{
    Options options = ReadOptions(argc, argv);
    _setmode(_fileno(stdout), _O_BINARY);  // the table's lines end in LF wherever it is read
    QueryPerformanceFrequency(&counterFrequency);
    RunFolders folders;
    if (!PrepareRunFolders(&folders, options.work, options.marker))
        Fail("run folders", runFoldersProblem);

    Samples startup[2], keyToLaunch[2];
    if (Measures(options, "start-up"))
        Alternate("start-up", options, options.jumpdeck, &startup[0], options.floorWindow, &startup[1],
                  [&](const char *program, double *ms) { return TimeStartup(program, folders, ms); });
    if (Measures(options, "key"))
        Alternate("key to launch", options, options.jumpdeck, &keyToLaunch[0], options.floorHotkey,
                  &keyToLaunch[1],
                  [&](const char *program, double *ms) { return TimeKeyToLaunch(program, folders, ms); });
    IdleFigures idle[2];
    for (int i = 0; i < options.runs && Measures(options, "idle"); i++) {
        fprintf(stderr, "\rbench: idle, run %d of %d ", i + 1, options.runs);
        bool subjectFirst = i % 2 == 0;
        Attempt("idle", [&] {
            return subjectFirst ? MeasureIdle(options.jumpdeck, &idle[0], options.floorWindow, &idle[1], folders,
                                              options.idleSeconds, options.verbose)
                                : MeasureIdle(options.floorWindow, &idle[1], options.jumpdeck, &idle[0], folders,
                                              options.idleSeconds, options.verbose);
        });
    }
    fprintf(stderr, "\n");

    const char *subject = BaseName(options.jumpdeck);
    char idleFigure[64];
    snprintf(idleFigure, sizeof idleFigure, "idle CPU in %d s, ms", options.idleSeconds);
    printf("| figure | %s | floor | ratio | target | met |\n", subject);
    printf("|---|---|---|---|---|---|\n");
    if (Measures(options, "start-up"))
        Row("start-up, ms (floor-window)", startup[0], startup[1], 1, 1.10);
    if (Measures(options, "key"))
        Row("key to launch, ms (floor-hotkey)", keyToLaunch[0], keyToLaunch[1], 1, 1.10);
    if (Measures(options, "idle")) {
        char subjectIdle[80], floorIdle[80];
        Spread(subjectIdle, sizeof subjectIdle, idle[0].cpuMs, 1);
        Spread(floorIdle, sizeof floorIdle, idle[1].cpuMs, 1);
        printf("| %s (floor-window) | %s | %s | | 0 ms | %s |\n", idleFigure, subjectIdle, floorIdle,
               idle[0].cpuMs.Median() == 0 ? "yes" : "no");
        Row("threads (floor-window)", idle[0].threads, idle[1].threads, 0, 0);
        Row("working set, KiB (floor-window)", idle[0].workingSetKiB, idle[1].workingSetKiB, 0, 1.20);
        Row("private bytes, KiB (floor-window)", idle[0].privateKiB, idle[1].privateKiB, 0, 1.20);
    }
    PrintSize(options);
    printf("\nMedian (min-max) of %d runs of each program, taken by turns after %d warm-up runs each. "
           "Idle CPU, threads and memory are read %d s after start-up, with %s and floor-window side by side.\n",
           options.runs, options.warmups, options.idleSeconds, subject);
    if (Measures(options, "idle"))
        printf("Idle CPU time was charged in %d of %d runs to %s and in %d to floor-window.\n",
               RunsAboveZero(idle[0].cpuMs), options.runs, subject, RunsAboveZero(idle[1].cpuMs));
    if (repeatedRuns > 0)
        printf("%d runs failed and were repeated; the last because %s.\n", repeatedRuns, lastRepeatReason);
    return 0;
}
