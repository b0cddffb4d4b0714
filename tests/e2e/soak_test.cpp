// Many mixed inputs to one running program (JUMPDECK_SOAK_INPUTS of them, 300
// unless told; tools/soak runs more): keys, field edits, clicks, hotkeys and
// answered notices. The program must answer after every one, and end holding
// what it held after the first hundred.
#include "tests/e2e/driver.h"

#include <psapi.h>
#include <stdlib.h>

#include <random>

// The program's handles, windows and memory, each with how much it may grow.
// Wine answers GetProcessHandleCount only for the calling process: the handles
// are counted in the system's handle list.
struct Figure { const char *name; unsigned long long value, slack; };

static std::vector<Figure> UsageOf(HANDLE process)
{
    struct Entry { USHORT pid, backTrace; UCHAR type, attributes; USHORT handle; PVOID object; ULONG access; };
    typedef LONG(WINAPI * QuerySystem)(ULONG, PVOID, ULONG, PULONG);
    QuerySystem query = (QuerySystem)(void *)GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation");
    std::vector<char> list(16 << 20);
    ULONG needed, handles = 0, pid = GetProcessId(process);
    if (query(16 /* the handle list */, list.data(), (ULONG)list.size(), &needed) == 0) {
        Entry *entries = (Entry *)(list.data() + sizeof(ULONG_PTR));
        handles = (ULONG)std::count_if(entries, entries + *(ULONG *)list.data(), [&](const Entry &e) { return e.pid == (USHORT)pid; });
    }
    DWORD windows[2] = {0, (DWORD)pid};  // the count, then whose windows
    EnumWindows([](HWND window, LPARAM data) -> BOOL {
        DWORD *count = (DWORD *)data, owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == count[1] && ++*count)
            EnumChildWindows(window, [](HWND, LPARAM windowCount) -> BOOL { return ++*(DWORD *)windowCount > 0; }, data);
        return TRUE;
    }, (LPARAM)windows);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&memory, sizeof memory);
    return {{"handles", handles, 10}, {"windows", windows[0], 0}, {"pagefile bytes", memory.PagefileUsage, 2 << 20},
            {"working set", memory.WorkingSetSize, 4 << 20}};
}

class Soak : public DeckTest {
protected:
    std::mt19937 random{20261207};

    int Pick(int count) { return (int)(random() % (unsigned)count); }

    // Every notice on screen gets OK or Cancel, innermost first.
    void AnswerNotices()
    {
        for (HWND box; (box = Notice()) != nullptr;) {
            PostMessageA(box, WM_COMMAND, Pick(2) ? IDOK : IDCANCEL, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(box) || Notice() != box; }));
            ASSERT_TRUE(Responds());
        }
    }

    void Run(int inputs)
    {
        static const WORD keys[] = {'A', 'B', 'X', VK_F1, VK_F1, VK_F2, VK_F3, VK_BACK, VK_RETURN, VK_SPACE};
        const std::string texts[] = {"", "a", "bx", "C:\\missing\\gone.exe", "C:\\missing\\doc.txt", std::string(120, 'p')};
        const int fields[] = {0, 1, 3, 4, 13, 14};
        const HWND clicked[] = {Control(SAVE), Control(ENABLE), Control(DISABLE), Control(0), Control(4), deck};
        for (int i = 0; i < inputs && !HasFatalFailure(); i++) {
            int kind = Pick(4);
            if (kind == 0)
                PressKey(keys[Pick(10)]);
            else if (kind == 1)
                SetText(fields[Pick(6)], texts[Pick(6)]);
            else if (kind == 2)
                Click(clicked[Pick(6)]);
            else
                PostMessageA(deck, WM_HOTKEY, Pick(11), 0);
            ASSERT_TRUE(Responds()) << "no answer after input " << i;
            AnswerNotices();
        }
        PostMessageA(deck, WM_HOTKEY, 0, 0);  // F1: shown, whatever came last
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(deck) != 0; }));
    }
};

TEST_F(Soak, MixedInputs)
{
    const char *asked = getenv("JUMPDECK_SOAK_INPUTS");
    int inputs = asked && atoi(asked) > 100 ? atoi(asked) : 300;
    WriteDataFiles("abc", {"C:\\missing\\gone.exe", "C:\\missing\\doc.txt"});
    Start();
    ASSERT_NO_FATAL_FAILURE(Run(100));  // the first notices, saves and launches settle in
    std::vector<Figure> before = UsageOf(process);
    ASSERT_NO_FATAL_FAILURE(Run(inputs - 100));
    std::vector<Figure> after = UsageOf(process);
    for (size_t i = 0; i < before.size(); i++) {
        printf("%-14s before %10llu, after %10llu\n", before[i].name, before[i].value, after[i].value);
        EXPECT_GT(before[i].value, 0u) << before[i].name;
        EXPECT_LE(after[i].value, before[i].value + before[i].slack) << before[i].name;
    }
}
