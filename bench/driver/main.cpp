// The benchmark driver: measures Jumpdeck against the floor programs and
// prints the machine, a Markdown table of the figures, with the size and
// imports read from the executables themselves, then an empty line and notes
// on the runs. tools/bench runs it under Wine, run-bench.cmd of the test
// archive on Windows. Usage:
//   bench WORK JUMPDECK FLOOR_DECK FLOOR_WINDOW FLOOR_HOTKEY MARKER
//         [--runs N] [--warmups N] [--idle-seconds S] [--only start-up|key|idle] [--verbose 1]
// WORK is made anew (work.h): start\ and key\, Jumpdeck's files with six
// bound slots and the hotkeys off and on, and marker\marker.exe, a copy of
// MARKER, the target of the launch key. Every program gets the marker's path
// as its command line, which Jumpdeck ignores and the floors holding the
// hotkey launch.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "bench/bench_keys.h"
#include "bench/driver/child.h"
#include "bench/driver/work.h"

enum Program { JUMPDECK, FLOOR_DECK, FLOOR_WINDOW, FLOOR_HOTKEY, PROGRAM_COUNT };
static const char *const PROGRAM_NAMES[PROGRAM_COUNT] = {"Jumpdeck.exe", "floor-deck", "floor-window",
                                                         "floor-hotkey"};
enum { GROUP_SIZE = 3 };
// Measured together, by turns or side by side.
static const Program STARTUP_GROUP[GROUP_SIZE] = {JUMPDECK, FLOOR_DECK, FLOOR_WINDOW};
static const Program KEY_GROUP[GROUP_SIZE] = {JUMPDECK, FLOOR_DECK, FLOOR_HOTKEY};

typedef std::vector<double> Samples;
typedef Samples Figure[PROGRAM_COUNT];  // the runs of one figure, per program

struct Options {
    const char *programs[PROGRAM_COUNT];
    const char *work;
    const char *markerSource;  // copied into the work folder
    char start[MAX_PATH];
    char key[MAX_PATH];
    char marker[MAX_PATH];
    char markerStamp[MAX_PATH];  // the file the marker writes its start time to
    int runs;
    int warmups;
    int idleSeconds;
    bool verbose;      // every run's figure to the error output
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

static bool TimeStartup(const char *program, const Options &options, double *ms)
{
    Child child;
    LONGLONG begun = ReadCounter();
    if (!StartChild(&child, program, options.marker, options.start))
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

static bool TimeKeyToLaunch(const char *program, const Options &options, double *ms)
{
    if (!WaitForLaunchKey(false))
        return false;
    DeleteFileA(options.markerStamp);
    Child child;
    if (!StartChild(&child, program, options.marker, options.key))
        return false;
    bool launched = false;
    if (WaitUntilShown(&child, SHOW_TIMEOUT_MS) && WaitForLaunchKey(true)) {
        Sleep(SETTLE_MS);
        LONGLONG pressed = ReadCounter();
        PressLaunchKey();
        LONGLONG started = 0;
        launched = ReadMarkerStamp(options.markerStamp, &started);
        *ms = CounterMilliseconds(started - pressed);
    }
    StopChild(&child);
    return launched;
}

// ---- Idle cost and memory: the programs side by side, after start-up.

struct IdleFigures {
    Figure cpuMs;
    Figure workingSetKiB;
    Figure privateKiB;
};

// Starts the group's programs, the first one first, and reads their figures
// after the idle time; keeps them only when all could be read.
static bool MeasureIdle(const Options &options, int first, IdleFigures *figures)
{
    Child children[GROUP_SIZE] = {};
    Program programs[GROUP_SIZE];
    double cpuAtStart[GROUP_SIZE] = {}, cpu[GROUP_SIZE] = {};
    size_t workingSet[GROUP_SIZE] = {}, privateBytes[GROUP_SIZE] = {};
    bool ok = true;
    for (int i = 0; i < GROUP_SIZE && ok; i++) {
        programs[i] = STARTUP_GROUP[(first + i) % GROUP_SIZE];
        ok = StartChild(&children[i], options.programs[programs[i]], options.marker, options.start) &&
             WaitUntilShown(&children[i], SHOW_TIMEOUT_MS);
    }
    for (int i = 0; i < GROUP_SIZE && ok; i++)
        cpuAtStart[i] = CpuMilliseconds(children[i]);
    if (ok)
        Sleep(options.idleSeconds * 1000);
    for (int i = 0; i < GROUP_SIZE && ok; i++) {
        cpu[i] = CpuMilliseconds(children[i]) - cpuAtStart[i];
        ok = cpuAtStart[i] >= 0 && cpu[i] >= 0 && ReadMemory(children[i], &workingSet[i], &privateBytes[i]) &&
             WaitForSingleObject(children[i].process, 0) == WAIT_TIMEOUT;
        if (!ok)
            snprintf(childProblem, sizeof childProblem, "cannot read the figures of %s", PROGRAM_NAMES[programs[i]]);
    }
    for (Child &child : children)
        StopChild(&child);
    for (int i = 0; i < GROUP_SIZE && ok; i++) {
        figures->cpuMs[programs[i]].push_back(cpu[i]);
        figures->workingSetKiB[programs[i]].push_back(workingSet[i] / 1024.0);
        figures->privateKiB[programs[i]].push_back(privateBytes[i] / 1024.0);
        if (options.verbose)
            fprintf(stderr, "%s: %.1f ms CPU, %.0f KiB working set, %.0f KiB private\n", PROGRAM_NAMES[programs[i]],
                    cpu[i], workingSet[i] / 1024.0, privateBytes[i] / 1024.0);
    }
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

// Runs the group's programs by turns, each round starting one further along;
// the warm-up rounds are not kept.
template <typename Time>
static void Alternate(const char *what, const Options &options, const Program (&group)[GROUP_SIZE],
                      Figure &samples, Time time)
{
    for (int round = 0; round < options.warmups + options.runs; round++) {
        fprintf(stderr, "\rbench: %s, round %d of %d ", what, round + 1, options.warmups + options.runs);
        for (int i = 0; i < GROUP_SIZE; i++) {
            Program program = group[(round + i) % GROUP_SIZE];
            double ms = 0;
            Sleep(PAUSE_MS);
            Attempt(what, [&] { return time(options.programs[program], &ms); });
            if (round >= options.warmups)
                samples[program].push_back(ms);
            if (options.verbose)
                fprintf(stderr, "%s %s %.1f ms\n", round < options.warmups ? "warm-up" : "kept",
                        PROGRAM_NAMES[program], ms);
        }
    }
    fprintf(stderr, "\n");
}

// ---- The table.

// Size against floor-deck (with its target) and floor-window, and the DLLs
// imported, which must all come with Windows.
static void SizeRows(const Options &options)
{
    const long long SIZE_TARGET = 49152;
    long long subject = FileBytes(options.programs[JUMPDECK]);
    char subjectDlls[512], floorDlls[512];
    bool read = ImportedDlls(options.programs[JUMPDECK], subjectDlls, sizeof subjectDlls);
    ImportedDlls(options.programs[FLOOR_DECK], floorDlls, sizeof floorDlls);
    for (Program floor : {FLOOR_DECK, FLOOR_WINDOW}) {
        long long bytes = FileBytes(options.programs[floor]);
        printf("| exe size, bytes (%s) | %lld | %lld | %.2fx |", PROGRAM_NAMES[floor], subject, bytes,
               bytes > 0 ? (double)subject / bytes : 0.0);
        if (floor == FLOOR_DECK)
            printf(" <= %lld | %s |\n| imported DLLs (floor-deck) | %s | %s | | system DLLs only | %s |\n", SIZE_TARGET,
                   subject >= 0 && subject <= SIZE_TARGET ? "yes" : "no", subjectDlls, floorDlls,
                   read && SystemDllsOnly(subjectDlls) ? "yes" : "no");
        else
            printf(" | |\n");
    }
}

// The program's version, the day, and the machine: processor, cores, the
// system (Wine names itself and the system it runs on), the display.
static void PrintMachine()
{
    char processor[128] = "unknown processor", system[160];
    DWORD size = sizeof processor;
    RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString",
                 RRF_RT_REG_SZ, nullptr, processor, &size);
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ((LONG(WINAPI *)(OSVERSIONINFOA *))(void *)GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion"))(&version);
    auto wine = (const char *(*)())(void *)GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version");
    auto host = (void (*)(const char **, const char **))(void *)
        GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_host_version");
    const char *hostName = "", *hostRelease = "";
    if (host)
        host(&hostName, &hostRelease);
    if (wine)
        snprintf(system, sizeof system, "Wine %s on %s %s", wine(), hostName, hostRelease);
    else
        snprintf(system, sizeof system, "Windows %lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                 version.dwBuildNumber);
    SYSTEMTIME today;
    GetSystemTime(&today);
    printf("Jumpdeck %s, %04d-%02d-%02d: %s, %lu cores, %s, display %dx%d.\n\n", JUMPDECK_VERSION, today.wYear,
           today.wMonth, today.wDay, processor, info.dwNumberOfProcessors, system, GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN));
}

static double Median(Samples samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

static void Spread(char *text, size_t size, const Samples &samples, int decimals)
{
    double low = samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
    double high = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    snprintf(text, size, "%.*f (%.*f-%.*f)", decimals, Median(samples), decimals, low, decimals, high);
}

// One row: Jumpdeck against floor, with the ratio of the medians and, when
// ratioTarget is above 0, whether the ratio meets it.
static void Row(const char *figure, const Figure &samples, Program floor, int decimals, double ratioTarget)
{
    char subjectText[80], floorText[80], target[32] = " ", met[8] = " ";
    Spread(subjectText, sizeof subjectText, samples[JUMPDECK], decimals);
    Spread(floorText, sizeof floorText, samples[floor], decimals);
    double ratio = Median(samples[floor]) > 0 ? Median(samples[JUMPDECK]) / Median(samples[floor]) : 0;
    if (ratioTarget > 0) {
        snprintf(target, sizeof target, " <= %.2fx ", ratioTarget);
        snprintf(met, sizeof met, " %s ", ratio <= ratioTarget ? "yes" : "no");
    }
    printf("| %s (%s) | %s | %s | %.2fx |%s|%s|\n", figure, PROGRAM_NAMES[floor], subjectText, floorText, ratio,
           target, met);
}

static int RunsAboveZero(const Samples &samples)
{
    return (int)std::count_if(samples.begin(), samples.end(), [](double value) { return value > 0; });
}

static void PrintTable(const Options &options, const Figure &startup, const Figure &key, const IdleFigures &idle)
{
    const double TARGET = 1.05;
    printf("| figure | %s | floor | ratio | target | met |\n", PROGRAM_NAMES[JUMPDECK]);
    printf("|---|---|---|---|---|---|\n");
    bool startupRows = Measures(options, "start-up"), keyRows = Measures(options, "key");
    bool idleRows = Measures(options, "idle");
    if (startupRows)
        Row("start-up, ms", startup, FLOOR_DECK, 1, TARGET);
    if (keyRows)
        Row("key to launch, ms", key, FLOOR_DECK, 1, TARGET);
    if (idleRows) {
        Row("working set, KiB", idle.workingSetKiB, FLOOR_DECK, 0, TARGET);
        Row("private bytes, KiB", idle.privateKiB, FLOOR_DECK, 0, 0);
        char subjectIdle[80], floorIdle[80];
        Spread(subjectIdle, sizeof subjectIdle, idle.cpuMs[JUMPDECK], 1);
        Spread(floorIdle, sizeof floorIdle, idle.cpuMs[FLOOR_DECK], 1);
        printf("| idle CPU in %d s, ms (floor-deck) | %s | %s | | 0 ms | %s |\n", options.idleSeconds, subjectIdle,
               floorIdle, Median(idle.cpuMs[JUMPDECK]) == 0 ? "yes" : "no");
    }
    if (startupRows)
        Row("start-up, ms", startup, FLOOR_WINDOW, 1, 0);
    if (keyRows)
        Row("key to launch, ms", key, FLOOR_HOTKEY, 1, 0);
    if (idleRows) {
        Row("working set, KiB", idle.workingSetKiB, FLOOR_WINDOW, 0, 0);
        Row("private bytes, KiB", idle.privateKiB, FLOOR_WINDOW, 0, 0);
    }
    SizeRows(options);

    printf("\nMedian (min-max) of %d runs of each program, taken by turns after %d warm-up rounds, each round "
           "starting with the next program. Idle CPU and memory are read %d s after start-up, with Jumpdeck.exe, "
           "floor-deck and floor-window side by side.\n",
           options.runs, options.warmups, options.idleSeconds);
    if (idleRows)
        printf("Idle CPU time was charged in %d of %d runs to Jumpdeck.exe, in %d to floor-deck and in %d to "
               "floor-window.\n",
               RunsAboveZero(idle.cpuMs[JUMPDECK]), options.runs, RunsAboveZero(idle.cpuMs[FLOOR_DECK]),
               RunsAboveZero(idle.cpuMs[FLOOR_WINDOW]));
    if (repeatedRuns > 0)
        printf("%d runs failed and were repeated; the last because %s.\n", repeatedRuns, lastRepeatReason);
}

// ---- Options.

static void UnderWork(char (&path)[MAX_PATH], const char *work, const char *name)
{
    int length = snprintf(path, sizeof path, "%s\\%s", work, name);
    if (length < 0 || length >= (int)sizeof path)
        Fail(work, "path too long");
}

static Options ReadOptions(int argc, char **argv)
{
    const char USAGE[] = "bench WORK JUMPDECK FLOOR_DECK FLOOR_WINDOW FLOOR_HOTKEY MARKER [--runs N] [--warmups N] "
                         "[--idle-seconds S] [--only start-up|key|idle] [--verbose 1]";
    Options options = {};
    options.runs = 20;
    options.warmups = 3;
    options.idleSeconds = 10;
    if (argc < 3 + PROGRAM_COUNT || (argc - 3 - PROGRAM_COUNT) % 2 != 0)
        Fail("usage", USAGE);
    const char *work = argv[1];
    options.work = work;
    UnderWork(options.start, work, "start");
    UnderWork(options.key, work, "key");
    UnderWork(options.marker, work, "marker\\marker.exe");
    UnderWork(options.markerStamp, work, "marker\\marker.qpc");
    for (int i = 0; i < PROGRAM_COUNT; i++)
        options.programs[i] = argv[2 + i];
    options.markerSource = argv[2 + PROGRAM_COUNT];
    for (int i = 3 + PROGRAM_COUNT; i + 1 < argc; i += 2) {
        const char *name = argv[i], *value = argv[i + 1];
        if (strcmp(name, "--runs") == 0)
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
    if (options.runs < 1 || options.warmups < 0 || options.idleSeconds < 1)
        Fail("usage", USAGE);
    return options;
}

int main(int argc, char **argv)
{
    Options options = ReadOptions(argc, argv);
    _setmode(_fileno(stdout), _O_BINARY);  // the table's lines end in LF wherever it is read
    QueryPerformanceFrequency(&counterFrequency);
    if (!PrepareWork(options.work, options.markerSource))
        Fail(options.work, childProblem);
    PrintMachine();

    Figure startup, key;
    IdleFigures idle;
    if (Measures(options, "start-up"))
        Alternate("start-up", options, STARTUP_GROUP, startup,
                  [&](const char *program, double *ms) { return TimeStartup(program, options, ms); });
    if (Measures(options, "key"))
        Alternate("key to launch", options, KEY_GROUP, key,
                  [&](const char *program, double *ms) { return TimeKeyToLaunch(program, options, ms); });
    for (int run = 0; run < options.runs && Measures(options, "idle"); run++) {
        fprintf(stderr, "\rbench: idle, run %d of %d ", run + 1, options.runs);
        Attempt("idle", [&] { return MeasureIdle(options, run % GROUP_SIZE, &idle); });
    }
    fprintf(stderr, "\n");
    PrintTable(options, startup, key, idle);
    return 0;
}
