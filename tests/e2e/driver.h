// Drives the real Jumpdeck.exe from outside, as a user and the system do. Each
// test copies the program into a fresh folder, with the marker program and a
// DLL planted beside it, as a user unzips it into a folder where downloads
// land, and starts it there in a job object; then it types with SendInput,
// clicks with mouse messages, answers the notices and reads the files the
// program leaves. Whatever the test started ends with it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// The control ids of the buttons, and of each row's key field, path field and
// browse button, top to bottom.
enum { SAVE = 6, MANUAL = 22, ENABLE = 23, DISABLE = 24 };
struct Row { int key, path, browse; };
const Row rows[6] = {{0, 3, 7}, {1, 4, 8}, {2, 5, 9}, {13, 14, 15}, {16, 17, 18}, {19, 20, 21}};

const std::string FAILED = "what the fuke", ENABLED = "以注册热键，如有冲突请取消热键", DISABLED = "以取消热键",
                  REPEAT = "打开此的是应用程序？", MANUAL_NAME = "生命手册.txt";

// Polls until done() holds, false after timeoutMs; the test's own windows
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

// A message to another process's window; false when it gets no answer in 5 s.
inline bool Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0, DWORD_PTR *result = nullptr)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, message, w, l, SMTO_ABORTIFHUNG, 5000, result ? result : &ignored) != 0;
}

inline std::string TextOf(HWND window)
{
    char text[1024];
    DWORD_PTR length = 0;
    return Send(window, WM_GETTEXT, sizeof text, (LPARAM)text, &length) ? std::string(text, length) : "<no answer>";
}

inline HWND FocusOf(HWND window)  // the focus in window's thread
{
    GUITHREADINFO info = {sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Until window or a child of it has the focus: without a window manager the
// first attempt can leave the desktop in front.
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
inline void PressKey(WORD key, WORD character = 0)
{
    INPUT presses[2] = {};
    for (int up : {0, 1}) {
        presses[up].type = INPUT_KEYBOARD;
        presses[up].ki = {key, character ? character : (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC),
                          (character ? KEYEVENTF_UNICODE : 0u) | (up ? KEYEVENTF_KEYUP : 0u), 0, 0};
    }
    SendInput(2, presses, sizeof(INPUT));
}

// A left click on a window: a push button, a field or the window's background.
inline void Click(HWND window)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// Files by their code-page names; "" when there is none.
inline std::string ReadBytes(const std::string &path)
{
    std::string bytes;
    if (FILE *file = fopen(path.c_str(), "rb")) {
        for (int c; (c = fgetc(file)) != EOF;)
            bytes += (char)c;
        fclose(file);
    }
    return bytes;
}

inline bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    return file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && fclose(file) == 0;
}

inline bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The key file for these keys and paths, in slot order (slot 3 included), and
// this hotkey switch: each number in two places, padded with a space.
inline std::string KeyFile(std::string keys, std::vector<std::string> paths, int hotkeys = 0)
{
    keys.resize(7, '\0');
    paths.resize(7);
    for (const std::string &path : paths)
        keys += (path.size() < 10 ? " " : "") + std::to_string(path.size());
    return keys + " " + std::to_string(hotkeys);
}

inline std::string Joined(const std::vector<std::string> &paths, const std::string &between = "")
{
    std::string joined;
    for (const std::string &path : paths)
        joined += (joined.empty() ? "" : between) + path;
    return joined;
}

// The build names its programs by host paths; Wine sees the host's root as Z:.
inline std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path[0] == '\\' ? "Z:" + path : path;
}

class DeckTest : public ::testing::Test {
protected:
    std::string dir;
    HANDLE job = nullptr, process = nullptr;  // the program, and all it started
    HWND deck = nullptr;                      // its main window

    // Short, so that the paths of files in it stay well within 99 bytes.
    void SetUp() override
    {
        CreateDirectoryA("C:\\e2e", nullptr);
        dir = "C:\\e2e\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
        const char *programs[][2] = {{JUMPDECK_EXE, "Jumpdeck.exe"}, {MARKER_EXE, "marker.exe"}, {PLANTED_DLL, "dwmapi.dll"}};
        for (const auto &program : programs)
            ASSERT_TRUE(CopyFileA(WindowsPath(program[0]).c_str(), In(program[1]).c_str(), FALSE)) << program[1];
    }

    // The planted DLL leaves a file when anything loads it.
    void TearDown() override
    {
        Stop();
        EXPECT_FALSE(Exists(In("dwmapi.dll.loaded"))) << "the planted DLL was loaded";
        std::string from = dir + '\0';  // a list of one name
        SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI, FALSE, nullptr, nullptr};
        if (!HasFailure())
            SHFileOperationA(&remove);
    }

    std::string In(const std::string &name) const { return dir + "\\" + name; }
    HWND Control(int id) const { return GetDlgItem(deck, id); }
    bool SetText(int id, const std::string &text) { return Send(Control(id), WM_SETTEXT, 0, (LPARAM)text.c_str()); }
    bool Responds() { return Send(deck, WM_NULL); }

    void WriteDataFiles(const std::string &keys, const std::vector<std::string> &paths, int hotkeys = 0)
    {
        ASSERT_TRUE(WriteBytes(In("l.z"), KeyFile(keys, paths, hotkeys)) && WriteBytes(In("z.l"), Joined(paths)));
    }

    // Waits for the key file, which a save moves in last.
    void ExpectDataFiles(const std::string &keys, const std::vector<std::string> &paths, int hotkeys = 0)
    {
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == KeyFile(keys, paths, hotkeys); })) << ReadBytes(In("l.z"));
        EXPECT_EQ(ReadBytes(In("z.l")), Joined(paths));
    }

    // What the rows show: each row's key, '=' and path, rows ended by ';'.
    std::string Fields()
    {
        std::string shown;
        for (const Row &row : rows)
            shown += TextOf(Control(row.key)) + "=" + TextOf(Control(row.path)) + ";";
        return shown;
    }

    // Starts the program in a job that ends it, and all it started, when the
    // job closes; waits for its window, in front with the focus on it.
    void Start()
    {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        job = CreateJobObjectA(nullptr, nullptr);
        ASSERT_TRUE(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessA(In("Jumpdeck.exe").c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                   nullptr, dir.c_str(), &startup, &started));
        process = started.hProcess;
        bool joined = AssignProcessToJobObject(job, process);
        ResumeThread(started.hThread);
        CloseHandle(started.hThread);
        ASSERT_TRUE(joined);
        ASSERT_TRUE(WaitUntil([&] { return (deck = FindShown("DECKWND", "Jumpdeck")) != nullptr; }, 10000));
        // The window shows before its keys are registered. Once a posted click
        // has moved the focus into a field, the program is in its message loop
        // with every key in place; a click on the background takes it back.
        Click(Control(rows[0].key));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == Control(rows[0].key); })) << "no message loop";
        Click(deck);
        ASSERT_TRUE(BringToFront(deck) && WaitUntil([&] { return FocusOf(deck) == deck; }));
    }

    // Processes the program has just started get to finish starting first:
    // Wine leaves a process that is killed half-way through its start hanging
    // outside the server.
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
        struct Search { std::vector<DWORD> pids; const char *className; const std::string &part; HWND found; };
        Search search = {JobProcesses(), className, part, nullptr};
        EnumWindows([](HWND window, LPARAM data) -> BOOL {
            Search &s = *(Search *)data;
            DWORD pid = 0;
            char title[256] = "", name[64] = "";
            GetWindowThreadProcessId(window, &pid);
            GetWindowTextA(window, title, sizeof title);
            GetClassNameA(window, name, sizeof name);
            if (IsWindowVisible(window) && std::count(s.pids.begin(), s.pids.end(), pid) &&
                (!s.className || strcmp(name, s.className) == 0) && strstr(title, s.part.c_str()))
                s.found = window;
            return s.found == nullptr;
        }, (LPARAM)&search);
        return search.found;
    }

    // A notice box of the program: it counts once it is on screen with its text.
    HWND Notice()
    {
        HWND box = FindShown("#32770", "提示");
        return box && GetDlgItem(box, 0xFFFF) ? box : nullptr;
    }

    // Presses button in the notice that comes; its text, "" when none comes.
    std::string AnswerNotice(int button = IDOK)
    {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = Notice()) != nullptr; }))
            return "";
        std::string text = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, button, 0);
        WaitUntil([&] { return !IsWindowVisible(box); });
        return text;
    }

    // A click on the window's background gives the window itself the focus
    // back; then Escape ends the program, with 0.
    void Quit()
    {
        ASSERT_TRUE(BringToFront(deck));
        Click(deck);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == deck; }));
        PressKey(VK_ESCAPE);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(WaitForSingleObject(process, 5000) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code));
        EXPECT_EQ(code, 0u);
        Stop();
    }

    // Clicks the field and types text at its end; waits until it shows result.
    void TypeInto(int id, const std::string &text, const std::string &result)
    {
        HWND field = Control(id);
        Click(field);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == field; })) << "field " << id;
        PressKey(VK_END);
        for (unsigned char c : text)
            PressKey(0, c);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == result; })) << "field " << id << ": " << TextOf(field);
    }
};
