// Ten thousand mixed inputs to one running program: keys, field edits, button
// clicks, hotkey messages and answered notices. The program must answer after
// every one, and end holding about the resources it held after the warm-up.
#include "tests/e2e/driver.h"

#include <psapi.h>
#include <stdlib.h>

#include <random>

// The program's handles in the system's handle list: Wine answers
// GetProcessHandleCount only for the calling process.
static DWORD ListedHandles(DWORD pid)
{
    struct Entry { USHORT pid, backTrace; UCHAR type, attributes; USHORT handle; PVOID object; ULONG access; };
    typedef LONG(WINAPI * QuerySystem)(ULONG, PVOID, ULONG, PULONG);
    QuerySystem query = (QuerySystem)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    std::vector<char> buffer(16 << 20);  // room for about 700,000 handles
    ULONG needed;
    if (!query || query(16 /* handle information */, buffer.data(), (ULONG)buffer.size(), &needed) != 0)
        return 0;
    ULONG count = *(ULONG *)buffer.data();
    Entry *entries = (Entry *)(buffer.data() + sizeof(ULONG_PTR));
    return (DWORD)std::count_if(entries, entries + count, [&](const Entry &entry) { return entry.pid == (USHORT)pid; });
}

static BOOL CALLBACK CountWindow(HWND, LPARAM count) { return ++*(DWORD *)count > 0; }

// What the program holds, each figure with how much it may grow. Where
// GetGuiResources reports nothing, the program's windows stand in for its USER
// objects.
struct Figure { const char *name; unsigned long long value, slack; };

static std::vector<Figure> UsageOf(HANDLE process)
{
    DWORD pid = GetProcessId(process), handles = 0, windows = 0;
    GetProcessHandleCount(process, &handles);
    for (HWND top : TopWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner == pid && CountWindow(top, (LPARAM)&windows))  // and its children
            EnumChildWindows(top, CountWindow, (LPARAM)&windows);
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&memory, sizeof memory);
    return {{"handles", handles, 10}, {"handles in the system's list", ListedHandles(pid), 10},
        {"GDI objects", GetGuiResources(process, GR_GDIOBJECTS), 10},
        {"USER objects", GetGuiResources(process, GR_USEROBJECTS), 10}, {"windows", windows, 0},
        {"private bytes", memory.PrivateUsage, 2 << 20}, {"pagefile bytes", memory.PagefileUsage, 2 << 20},
        {"working set", memory.WorkingSetSize, 4 << 20}};
}

class Soak : public DeckTest {
protected:
    std::mt19937 random{20261206};
    int noticesAnswered = 0;

    int Pick(int count) { return (int)(random() % (unsigned)count); }

    // Every notice on screen gets OK or Cancel; nested boxes close innermost
    // first, each as its own loop ends.
    void AnswerNotices()
    {
        for (HWND box; (box = Notice()) != nullptr;) {
            std::string text = NoticeText(box);
            if (!IsWindowVisible(box))
                continue;  // closed meanwhile by a key press (Enter)
            bool expected = false;
            for (const char *known : {ENABLED_NOTICE, DISABLED_NOTICE, REPEAT_QUESTION})
                expected = expected || text.rfind(known, 0) == 0;
            for (char row = '1'; row <= '6'; row++)
                expected = expected || text == std::string("第") + row + "行的路径超过99字节，未保存";
            ASSERT_TRUE(expected) << "unexpected notice: " << text;
            PostMessageA(box, WM_COMMAND, Pick(2) ? IDOK : IDCANCEL, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(box) || Notice(); }));
            noticesAnswered++;
            ASSERT_TRUE(Responds());
        }
    }

    void Input()
    {
        static const WORD keys[] = {'A', 'B', 'C', 'X', VK_F1, VK_F1, VK_F2, VK_F3, VK_BACK, VK_RETURN};
        static const int fields[] = {0, 1, 3, 4, 13, 14}, buttons[] = {SAVE_BUTTON, ENABLE_BUTTON, DISABLE_BUTTON};
        const std::string texts[] = {"", "a", "b", "xy", "C:\\missing\\gone.exe", "C:\\missing\\doc.txt",
            std::string(120, 'p')};
        int kind = Pick(4);
        if (kind == 0)
            PressKey(keys[Pick(sizeof keys / sizeof keys[0])]);
        else if (kind == 1)
            SetText(fields[Pick(6)], texts[Pick(7)]);
        else if (kind == 2)
            PostMessageA(Control(buttons[Pick(3)]), BM_CLICK, 0, 0);
        else
            PostMessageA(deck, WM_HOTKEY, Pick(11), 0);
    }

    void Run(int inputs)
    {
        for (int i = 0; i < inputs && !HasFatalFailure(); i++) {
            Input();
            ASSERT_TRUE(Responds()) << "no answer after input " << i;
            AnswerNotices();
        }
        // Let posted inputs arrive, answer what they raised, show the window.
        for (int round = 0; round < 20 && (Responds(), Sleep(50), Notice()); round++)
            AnswerNotices();
        PostMessageA(deck, WM_HOTKEY, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(deck) != 0; }));
    }
};

TEST_F(Soak, TenThousandMixedInputs)
{
    // JUMPDECK_SOAK_INPUTS shortens the run while working on the test itself.
    const char *asked = getenv("JUMPDECK_SOAK_INPUTS");
    const int inputs = asked && atoi(asked) > 500 ? atoi(asked) : 10000;
    WriteDataFiles("abc", {"C:\\missing\\gone.exe", "C:\\missing\\doc.txt"});
    Start();

    ASSERT_NO_FATAL_FAILURE(Run(500));  // the first notices, saves and launches settle in
    std::vector<Figure> before = UsageOf(process);
    DWORD start = GetTickCount();
    ASSERT_NO_FATAL_FAILURE(Run(inputs - 500));
    std::vector<Figure> after = UsageOf(process);
    printf("%d inputs, %d notices answered; the last %d in %lu ms\n", inputs, noticesAnswered, inputs - 500,
        GetTickCount() - start);
    EXPECT_GT(before[1].value, 0u) << "no handle count";
    EXPECT_GT(before[7].value, 0u) << "no memory figure";
    for (size_t i = 0; i < before.size(); i++) {
        printf("%-28s before %12llu, after %12llu\n", before[i].name, before[i].value, after[i].value);
        EXPECT_LE(after[i].value, before[i].value + before[i].slack) << before[i].name;
    }

    // Still doing its job: a fresh binding saves byte for byte.
    for (const Row &row : rows) {
        SetText(row.keyField, &row == rows ? "k" : "");
        SetText(row.pathField, &row == rows ? "C:\\k.txt" : "");
    }
    ASSERT_TRUE(BringToFront(deck));
    Click(Control(SAVE_BUTTON));
    // The hotkey switch ends as the random inputs left it.
    EXPECT_TRUE(WaitUntil([&] {
        std::string saved = ReadBytes(In("l.z"));
        return saved == KeyFile("k", {"C:\\k.txt"}, 0) || saved == KeyFile("k", {"C:\\k.txt"}, 1);
    }));
    EXPECT_EQ(ReadBytes(In("z.l")), "C:\\k.txt");
    EXPECT_FALSE(Notice());
}
