// The journeys' steps and hotkey messages, picked at random, done to one
// running program: JUMPDECK_SOAK_INPUTS of them, 300 unless told (tools/soak
// runs more). The program must answer after every one, and end holding the
// handles, windows and memory it held after the first hundred. Wine answers
// GetProcessHandleCount for the calling process only: the handles are counted
// in the system's handle list.
#include "tests/e2e/driver.h"

#include <psapi.h>

#include <random>

using Soak = DeckTest;

TEST_F(Soak, ManyStepsAtRandom)
{
    const Steps doings = {"key A", "key B", "key X", "key F1", "key F1", "key F2", "key F3", "key Back", "key Enter",
        "set key1 a", "set key2 bx", "set key4 ", "set path1 C:\\missing\\gone.exe", "set path2 C:\\missing\\doc.txt",
        "set path4 " + std::string(120, 'p'), "set path1 ", "click save", "click on", "click off", "click key1", "click path2",
        "click window", "hotkey 0", "hotkey 1", "hotkey 2", "hotkey 3", "hotkey 4", "hotkey 9"};
    std::mt19937 random(20261207);
    auto runAtRandom = [&](int count) {
        for (int i = 0; i < count && !HasFatalFailure(); i++) {
            const std::string &doing = doings[random() % doings.size()];
            doing.rfind("hotkey ", 0) == 0 ? (void)PostMessageA(deck, WM_HOTKEY, atoi(&doing[7]), 0) : Run({doing});
            ASSERT_TRUE(Responds()) << "no answer after step " << i;
            for (HWND box; (box = FindShown("提示")) != nullptr;) {  // innermost first
                PostMessageA(box, WM_COMMAND, random() % 2 ? IDOK : IDCANCEL, 0);
                ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(box) || FindShown("提示") != box; }) && Responds());
            }
        }
    };
    auto usage = [&]() -> std::vector<unsigned long long> {
        struct Entry { USHORT pid, backTrace; UCHAR type, attributes; USHORT handle; PVOID object; ULONG access; };
        auto query = (LONG(WINAPI *)(ULONG, PVOID, ULONG, PULONG))(void *)GetProcAddress(GetModuleHandleA("ntdll"),
                                                                                    "NtQuerySystemInformation");
        std::vector<char> list(16 << 20);
        ULONG needed = 0, handles = 0, windows = 0;
        Entry *entries = (Entry *)(list.data() + sizeof(ULONG_PTR));
        for (ULONG i = 0; query(16, list.data(), (ULONG)list.size(), &needed) == 0 && i < *(ULONG *)list.data(); i++)
            handles += entries[i].pid == (USHORT)GetProcessId(process);
        for (HWND child = GetWindow(deck, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            windows++;
        PROCESS_MEMORY_COUNTERS memory = {};
        GetProcessMemoryInfo(process, &memory, sizeof memory);
        return {handles, windows, memory.WorkingSetSize};
    };
    int count = std::max(getenv("JUMPDECK_SOAK_INPUTS") ? atoi(getenv("JUMPDECK_SOAK_INPUTS")) : 300, 200);
    Run({"data abc|C:\\missing\\gone.exe|C:\\missing\\doc.txt|0", "start"});
    ASSERT_NO_FATAL_FAILURE(runAtRandom(100));  // the first notices, saves and launches settle in
    std::vector<unsigned long long> before = usage(), slack = {10, 0, 4 << 20};
    ASSERT_NO_FATAL_FAILURE(runAtRandom(count - 100));
    std::vector<unsigned long long> after = usage();
    const char *names[] = {"handles", "windows", "working set"};
    for (size_t i = 0; i < before.size(); i++) {
        printf("%-11s after 100 steps %10llu, after %d %10llu\n", names[i], before[i], count, after[i]);
        EXPECT_TRUE(before[i] > 0 && after[i] <= before[i] + slack[i]) << names[i];
    }
}
