// Drives the real Jumpdeck.exe from outside, the way a user and the system do:
// each test starts the program in a fresh scratch folder (with the marker
// program in it) inside a job object, finds its window and controls, sends keys
// and clicks with SendInput, answers notice boxes and reads the files the
// program leaves. Every process the test started is gone when it ends; a failed
// test keeps its folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "tests/file_bytes.h"

// Control ids of the main window, and each row's key field, path field and
// browse button, top to bottom.
enum { SAVE_BUTTON = 6, MANUAL_BUTTON = 22, ENABLE_BUTTON = 23, DISABLE_BUTTON = 24 };
struct Row { int keyField, pathField, browseButton; };
inline constexpr Row rows[6] = {{0, 3, 7}, {1, 4, 8}, {2, 5, 9}, {13, 14, 15}, {16, 17, 18}, {19, 20, 21}};

inline constexpr char SAVE_FAILED[] = "what the fuke";
inline constexpr char REPEAT_QUESTION[] = "打开此的是应用程序？";
inline constexpr char ENABLED_NOTICE[] = "以注册热键，如有冲突请取消热键";
inline constexpr char DISABLED_NOTICE[] = "以取消热键";
inline constexpr char MANUAL_NAME[] = "生命手册.txt";

// Polls until done() holds, false after timeoutMs; the driver's own windows
// keep working meanwhile.
inline bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000)
{
    for (DWORD start = GetTickCount();; Sleep(20)) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

// A message to any process's window; false when it gets no answer in 5 s.
inline bool Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0, DWORD_PTR *result = nullptr)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, message, w, l, SMTO_ABORTIFHUNG, 5000, result ? result : &ignored) != 0;
}

inline std::string TextOf(HWND window)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    return Send(window, WM_GETTEXT, sizeof text, (LPARAM)text, &length) ? std::string(text, length) : "<no answer>";
}

inline HWND FocusOf(HWND window)  // the focus in window's thread
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Until window or a child has the focus: without a window manager the first
// attempt can leave the desktop in front.
inline bool BringToFront(HWND window)
{
    return WaitUntil([&] {
        if (GetForegroundWindow() != window)
            SetForegroundWindow(window);
        HWND focus = FocusOf(window);
        return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
    });
}

// A key, or with a character that character, which fires no hotkey.
inline void PressKey(WORD virtualKey, WORD character = 0)
{
    INPUT presses[2] = {};
    for (DWORD up : {0, 1}) {
        presses[up].type = INPUT_KEYBOARD;
        presses[up].ki = {virtualKey, character ? character : (WORD)MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC),
            (character ? KEYEVENTF_UNICODE : 0u) | (up ? KEYEVENTF_KEYUP : 0u), 0, 0};
    }
    SendInput(2, presses, sizeof(INPUT));
}

// A left click at a point of window's client area, by default its middle.
inline void Click(HWND window, int x = -1, int y = -1)
{
    RECT client;
    GetClientRect(window, &client);
    POINT at = {x < 0 ? client.right / 2 : x, y < 0 ? client.bottom / 2 : y};
    ClientToScreen(window, &at);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    LONG dx = (at.x * 65536 + width / 2) / width, dy = (at.y * 65536 + height / 2) / height;
    INPUT steps[3];
    const DWORD buttons[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int step = 0; step < 3; step++)
        steps[step] = {INPUT_MOUSE, {{dx, dy, 0, MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons[step], 0, 0}}};
    SendInput(3, steps, sizeof(INPUT));
}

inline bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The key file for these keys (slot order, slot 3 included), paths and hotkey
// switch: each number in two places, padded with a space. The path file holds
// the paths one after the other.
inline std::string KeyFile(std::string keys, std::vector<std::string> paths, unsigned hotkeys)
{
    keys.resize(7, '\0');
    paths.resize(7);
    for (const std::string &path : paths)
        keys += (path.size() < 10 ? " " : "") + std::to_string(path.size());
    return keys + " " + std::to_string(hotkeys);
}

// The build names its programs by host paths; Wine sees the host's root as Z:.
inline std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path[0] == '\\' ? "Z:" + path : path;
}

// Every top-level window, as one snapshot.
inline std::vector<HWND> TopWindows()
{
    std::vector<HWND> windows;
    auto add = [](HWND window, LPARAM list) -> BOOL {
        ((std::vector<HWND> *)list)->push_back(window);
        return TRUE;
    };
    EnumWindows(add, (LPARAM)&windows);
    return windows;
}

inline void RemoveTree(const std::string &path)
{
    std::string from = path + '\0';  // a list of one name
    SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI, FALSE, nullptr, nullptr};
    SHFileOperationA(&remove);
}

class DeckTest : public ::testing::Test {
protected:
    std::string dir;
    HANDLE job = nullptr, process = nullptr;  // the program and all it started
    HWND deck = nullptr;                      // its main window

    void SetUp() override
    {
        // Short, so that whole paths can be typed into the path fields, which
        // stop taking characters at their visible width.
        static int made;
        CreateDirectoryA("C:\\e2e", nullptr);
        dir = "C:\\e2e\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
        RemoveTree(dir);
        CreateDirectoryA(dir.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(WindowsPath(MARKER_EXE).c_str(), In("marker.exe").c_str(), FALSE)) << dir;
    }

    void TearDown() override
    {
        Stop();
        if (HasFailure())
            printf("left for inspection: %s\n", dir.c_str());
        else
            RemoveTree(dir);
    }

    std::string In(const std::string &name) const { return dir + "\\" + name; }
    HWND Control(int id) const { return GetDlgItem(deck, id); }
    bool SetText(int id, const std::string &text) { return Send(Control(id), WM_SETTEXT, 0, (LPARAM)text.c_str()); }
    bool Responds() { return Send(deck, WM_NULL); }

    // Saved bindings, written byte by byte before the start.
    void WriteDataFiles(const std::string &keys, const std::vector<std::string> &paths, unsigned hotkeys = 0)
    {
        ASSERT_TRUE(WriteBytes(In("l.z"), KeyFile(keys, paths, hotkeys)));
        ASSERT_TRUE(WriteBytes(In("z.l"), std::accumulate(paths.begin(), paths.end(), std::string())));
    }

    // Waits for the key file of these bindings, which is written last.
    void ExpectDataFiles(const std::string &keys, const std::vector<std::string> &paths, unsigned hotkeys = 0)
    {
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == KeyFile(keys, paths, hotkeys); }))
            << ReadBytes(In("l.z"));
        EXPECT_EQ(ReadBytes(In("z.l")), std::accumulate(paths.begin(), paths.end(), std::string()));
    }

    // Starts the program in a job that kills it and all it started when it
    // closes, answers the notice that must come before the window shows when
    // startupNotice is given, and waits for the window, in front with the focus.
    void Start(const char *startupNotice = nullptr)
    {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        job = CreateJobObjectA(nullptr, nullptr);
        ASSERT_TRUE(job && SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessA(WindowsPath(JUMPDECK_EXE).c_str(), nullptr, nullptr, nullptr, FALSE,
            CREATE_SUSPENDED, nullptr, dir.c_str(), &startup, &started));
        process = started.hProcess;
        bool joined = AssignProcessToJobObject(job, process);
        ResumeThread(started.hThread);
        CloseHandle(started.hThread);
        ASSERT_TRUE(joined);
        if (startupNotice) {
            EXPECT_EQ(AnswerNotice(IDOK, 10000), startupNotice) << "at start-up";
        }
        WaitForInputIdle(process, 10000);
        ASSERT_TRUE(WaitUntil([&] { return (deck = FindShown("DECKWND", "Jumpdeck")) != nullptr; }, 10000))
            << "no main window";
        ASSERT_TRUE(BringToFront(deck)) << "the window does not take the focus";
    }

    // Processes the program has just started get to finish starting first:
    // Wine leaves a process that is killed half-way through its start hanging
    // outside the server, holding the test runner's output open.
    void Stop()
    {
        for (DWORD pid : JobProcesses()) {
            if (HANDLE member = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
                WaitForInputIdle(member, 3000);
                CloseHandle(member);
            }
        }
        if (job && TerminateJobObject(job, 1))
            WaitUntil([&] { return JobProcesses().empty(); });
        for (HANDLE handle : {job, process})
            if (handle)
                CloseHandle(handle);
        job = process = nullptr;
        deck = nullptr;
    }

    std::vector<DWORD> JobProcesses()
    {
        struct { JOBOBJECT_BASIC_PROCESS_ID_LIST list; ULONG_PTR more[63]; } ids = {};
        if (!job || !QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr))
            return {};
        return std::vector<DWORD>(ids.list.ProcessIdList, ids.list.ProcessIdList + ids.list.NumberOfProcessIdsInList);
    }

    // A shown top-level window of the job, of className (any when null), with
    // part in its title.
    HWND FindShown(const char *className, const std::string &part)
    {
        std::vector<DWORD> pids = JobProcesses();
        for (HWND found : TopWindows()) {
            DWORD pid = 0;
            char title[256] = "", name[64] = "";
            GetWindowThreadProcessId(found, &pid);
            GetWindowTextA(found, title, sizeof title);
            GetClassNameA(found, name, sizeof name);
            if (IsWindowVisible(found) && std::count(pids.begin(), pids.end(), pid) &&
                (!className || strcmp(name, className) == 0) && strstr(title, part.c_str()))
                return found;
        }
        return nullptr;
    }

    // A notice box of the program: it counts once it is on screen with its
    // text, until it starts to close.
    HWND Notice()
    {
        HWND box = FindShown("#32770", "提示");
        return box && GetDlgItem(box, 0xFFFF) ? box : nullptr;
    }
    static std::string NoticeText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

    // Presses button in the notice that comes; its text, "" when none comes.
    std::string AnswerNotice(int button = IDOK, DWORD timeoutMs = 5000)
    {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = Notice()) != nullptr; }, timeoutMs))
            return "";
        std::string text = NoticeText(box);
        PostMessageA(box, WM_COMMAND, button, 0);
        WaitUntil([&] { return !IsWindowVisible(box); });
        return text;
    }

    // A click on the window's background, which gives the window itself the
    // focus back, then Escape: the program ends with 0.
    void Quit()
    {
        Click(deck, 300, 8);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == deck; }));
        PressKey(VK_ESCAPE);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(WaitForSingleObject(process, 5000) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code));
        EXPECT_EQ(code, 0u);
        Stop();
    }

    // Clicks the field, types text at its end and waits until the field shows
    // result (its old text and text when result is null).
    void TypeInto(int id, const std::string &text, const char *result = nullptr)
    {
        HWND field = Control(id);
        std::string expected = result ? result : TextOf(field) + text;
        Click(field);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == field; })) << "field " << id;
        PressKey(VK_END);
        for (unsigned char c : text)
            PressKey(0, c);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == expected; })) << "field " << id << ": " << TextOf(field);
    }

    void ExpectFields(const std::vector<std::string> &keys, const std::vector<std::string> &paths)
    {
        for (size_t row = 0; row < 6; row++) {
            SCOPED_TRACE("row " + std::to_string(row + 1));
            EXPECT_EQ(TextOf(Control(rows[row].keyField)), row < keys.size() ? keys[row] : "");
            EXPECT_EQ(TextOf(Control(rows[row].pathField)), row < paths.size() ? paths[row] : "");
        }
    }
};
