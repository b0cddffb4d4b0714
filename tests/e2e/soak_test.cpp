// Ten thousand mixed inputs to one running program: keys, field edits, button
// clicks, hotkey messages and answered notices. The program must answer after
// every one, and end holding about the resources it held after the warm-up.
#include "tests/e2e/driver.h"

#include <psapi.h>

#include <stdlib.h>

#include <random>
#include <vector>

// What the program holds. Wine answers GetProcessHandleCount only for the
// calling process, so handles are also counted in the system's handle list;
// where GetGuiResources reports nothing, the program's windows stand in for
// its USER objects.
struct Usage {
    DWORD handles = 0, listedHandles = 0, gdiObjects = 0, userObjects = 0, windows = 0;
    SIZE_T privateBytes = 0, pagefile = 0, workingSet = 0;
};

struct HandleEntry {
    USHORT pid, creatorBackTraceIndex;
    UCHAR objectType, attributes;
    USHORT handle;
    PVOID object;
    ULONG access;
};

static DWORD ListedHandles(DWORD pid)
{
    typedef LONG(WINAPI * QuerySystem)(ULONG, PVOID, ULONG, PULONG);
    QuerySystem query = (QuerySystem)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    const ULONG SYSTEM_HANDLE_INFORMATION = 16;
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    while (query && query(SYSTEM_HANDLE_INFORMATION, buffer.data(), (ULONG)buffer.size(), &needed) != 0) {
        if (buffer.size() >= (64u << 20))
            return 0;
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = *(ULONG *)buffer.data();
    HandleEntry *entries = (HandleEntry *)(buffer.data() + sizeof(ULONG_PTR));
    DWORD held = 0;
    for (ULONG i = 0; i < count; i++)
        held += entries[i].pid == (USHORT)pid;
    return held;
}

static BOOL CALLBACK CountWindow(HWND window, LPARAM context)
{
    DWORD *counts = (DWORD *)context, pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == counts[0]) {
        counts[1]++;
        EnumChildWindows(window, CountWindow, context);
    }
    return TRUE;
}

static Usage UsageOf(HANDLE process, DWORD pid)
{
    Usage usage;
    GetProcessHandleCount(process, &usage.handles);
    usage.listedHandles = ListedHandles(pid);
    usage.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    DWORD counts[2] = {pid, 0};
    EnumWindows(CountWindow, (LPARAM)counts);
    usage.windows = counts[1];
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    if (GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&memory, sizeof memory)) {
        usage.privateBytes = memory.PrivateUsage;
        usage.pagefile = memory.PagefileUsage;
        usage.workingSet = memory.WorkingSetSize;
    }
    return usage;
}

static void Print(const char *when, const Usage &usage)
{
    printf("%-6s handles %lu (in the system's list %lu), GDI objects %lu, USER objects %lu, windows %lu,"
           " private bytes %llu, pagefile bytes %llu, working set %llu\n",
        when, usage.handles, usage.listedHandles, usage.gdiObjects, usage.userObjects, usage.windows,
        (unsigned long long)usage.privateBytes, (unsigned long long)usage.pagefile,
        (unsigned long long)usage.workingSet);
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
        static const std::string known[] = {ENABLED_NOTICE, DISABLED_NOTICE, REPEAT_QUESTION};
        for (HWND box; (box = WaitForNotice(deck, 0)) != nullptr;) {
            std::string text = NoticeText(box);
            if (!IsWindowVisible(box))
                continue;  // closed meanwhile by a key press (Enter)
            bool expected = false;
            for (const std::string &candidate : known)
                expected = expected || text.rfind(candidate, 0) == 0;
            for (int row = 1; row <= 6; row++)
                expected = expected || text == "第" + std::to_string(row) + "行的路径超过99字节，未保存";
            ASSERT_TRUE(expected) << "unexpected notice: " << text;
            PostMessageA(box, WM_COMMAND, Pick(2) ? IDOK : IDCANCEL, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }) || NoticeShown(deck));
            noticesAnswered++;
            ASSERT_TRUE(Responds(deck.window));
        }
    }

    void Input()
    {
        static const WORD keys[] = {'A', 'B', 'C', 'X', VK_F1, VK_F1, VK_F2, VK_F3, VK_BACK, VK_RETURN};
        static const int fields[] = {0, 1, 3, 4, 13, 14};
        static const int buttons[] = {SAVE_BUTTON, ENABLE_BUTTON, DISABLE_BUTTON};
        const std::string texts[] = {"", "a", "b", "xy", "C:\\missing\\gone.exe", "C:\\missing\\doc.txt",
            std::string(120, 'p')};
        switch (Pick(4)) {
        case 0:
            PressKey(keys[Pick(sizeof keys / sizeof keys[0])]);
            break;
        case 1:
            SetText(Control(deck, fields[Pick(6)]), texts[Pick(7)]);
            break;
        case 2:
            PostMessageA(Control(deck, buttons[Pick(3)]), BM_CLICK, 0, 0);
            break;
        default:
            PostMessageA(deck.window, WM_HOTKEY, Pick(11), 0);
            break;
        }
    }

    void Run(int inputs)
    {
        for (int i = 0; i < inputs; i++) {
            Input();
            ASSERT_TRUE(Responds(deck.window)) << "no answer after input " << i;
            AnswerNotices();
            if (HasFatalFailure())
                return;
        }
        // Let posted inputs arrive, answer what they raised, show the window.
        for (int round = 0; round < 20 && (Responds(deck.window), Sleep(50), NoticeShown(deck)); round++)
            AnswerNotices();
        PostMessageA(deck.window, WM_HOTKEY, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(deck.window) != 0; }));
    }
};

// JUMPDECK_SOAK_INPUTS shortens the run while working on the test itself.
static int InputCount()
{
    const char *asked = getenv("JUMPDECK_SOAK_INPUTS");
    return asked && atoi(asked) > 500 ? atoi(asked) : 10000;
}

TEST_F(Soak, TenThousandMixedInputs)
{
    const int inputs = InputCount();
    ASSERT_TRUE(WriteBytes(In("l.z"), KeyFile("abc", {19, 18}, 0)));
    ASSERT_TRUE(WriteBytes(In("z.l"), "C:\\missing\\gone.exeC:\\missing\\doc.txt"));
    Start();

    Run(500);  // the first notices, saves and launches settle in
    ASSERT_FALSE(HasFatalFailure());
    Usage before = UsageOf(deck.process, deck.pid);
    DWORD start = GetTickCount();
    Run(inputs - 500);
    ASSERT_FALSE(HasFatalFailure());
    Usage after = UsageOf(deck.process, deck.pid);
    printf("%d inputs, %d notices answered; the last %d in %lu ms\n", inputs, noticesAnswered, inputs - 500,
        GetTickCount() - start);
    Print("before", before);
    Print("after", after);

    EXPECT_GT(before.listedHandles, 0u) << "no handle count";
    EXPECT_GT(before.workingSet, 0u) << "no memory figure";
    EXPECT_LE(after.handles, before.handles + 10);
    EXPECT_LE(after.listedHandles, before.listedHandles + 10);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 10);
    EXPECT_LE(after.userObjects, before.userObjects + 10);
    EXPECT_LE(after.privateBytes, before.privateBytes + 2 * 1024 * 1024);
    EXPECT_LE(after.pagefile, before.pagefile + 2 * 1024 * 1024);
    EXPECT_LE(after.workingSet, before.workingSet + 4 * 1024 * 1024);

    // Still doing its job: a fresh binding saves byte for byte.
    for (const Row &row : rows) {
        SetText(Control(deck, row.keyField), "");
        SetText(Control(deck, row.pathField), "");
    }
    SetText(Control(deck, rows[0].keyField), "k");
    SetText(Control(deck, rows[0].pathField), "C:\\k.txt");
    ASSERT_TRUE(BringToFront(deck.window));
    Click(Control(deck, SAVE_BUTTON));
    // Keys, then lengths; the switch ends as the random inputs left it.
    const std::string keyFile("k\0\0\0\0\0\0" " 8 0 0 0 0 0 0", 21);
    EXPECT_TRUE(WaitUntil([&] {
        std::string saved = ReadBytes(In("l.z"));
        return saved.size() == 23 && saved.compare(0, 21, keyFile) == 0 &&
               (saved.substr(21) == " 0" || saved.substr(21) == " 1");
    }));
    EXPECT_EQ(ReadBytes(In("z.l")), "C:\\k.txt");
    EXPECT_FALSE(NoticeShown(deck));
}
