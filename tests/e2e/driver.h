// Drives the real Jumpdeck.exe from outside, as a user and the system do, on
// Windows or under Wine. Each test copies the program, found beside the test
// program with the marker program and the DLL to plant, into a fresh folder
// under %TEMP%, as a user unzips it where downloads land, and runs it there in
// a job object through steps, each a line of text: what to do, or what must be
// seen. {dir} in a step stands for the program's folder, which a passed test
// deletes; {kept} for what the last field filled past its width kept.
//   doing:  data KEYS|PATH|...|SWITCH (the data files, in slot order, before
//           the start; '.' a slot without a key), stopped KEYS|PATH|...|SWITCH
//           (the files as a Save of these, stopped between its moves, leaves
//           them), readonly FILE, writable FILE (read-only until then),
//           start, quit (the window in front, a click on its background,
//           Escape, exit code 0), key K (A-Z, 0-9, F1-F3, Esc), repeat K
//           (key-downs as a held key's auto-repeat sends them, then the
//           key-up), set FIELD TEXT, click CONTROL, minimize, other (the
//           test's own field in front), hold FILE [MS] (open without
//           sharing, as another program may: for MS ms, or until release),
//           again (a second start from the same folder, in capitals: ends at
//           once, code 0, without making the manual it deleted, and the
//           running window is shown and in front by itself), beside NAME (a
//           start from the new subfolder NAME: runs, with a window of its
//           own); as a person does, with a click on the field and the window
//           in front: type FIELD TEXT (into an empty field, with real keys,
//           until it shows TEXT; no Chinese: Wine's fields take a Chinese
//           character typed without an input method as two '?'), fill FIELD
//           TEXT (typed, then its last character again past the field's
//           width: the field shows what fits, a key field its first
//           character), paste FIELD TEXT (Ctrl+V; a shows of the outcome
//           follows it before a click elsewhere, which could come ahead of
//           the keys)
//   seeing: notice TEXT (pressing OK), cancel TEXT (pressing Cancel), no notice,
//           files KEYS|PATH|...|SWITCH, empty FILE, starts N [ARGS] (of the
//           marker; those with ARGS), hidden, shown (and in front), shows
//           FIELD TEXT, focus CONTROL, window PART (of a title; then closed),
//           warning (a dialog of the program's own that is not its notice, as
//           the shell's security warning is; then declined), context
//           CONTROL none|some (its input context, for an input method), picture
//           (the window as the screen shows it, at the display's scale, kept as
//           jumpdeck-window.bmp beside the test program, for a person to see)
//   dbcs STEP: a step that needs a double-byte code page (half a character in
//           a key field); elsewhere it is left out, and the result says so.
// Fields and controls, found where the window shows them, whatever their ids:
// key1-key6, path1-path6, browse1-browse6 by row; manual, on, off, save along
// the bottom; window (the background), other (the test's own field).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

// Polls until done() holds, false after timeoutMs; the test's own windows
// keep working meanwhile.
inline bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(20)) {
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); TranslateMessage(&m), DispatchMessageA(&m)) {}
        if (GetTickCount() - start >= timeoutMs)
            return done();
    }
    return true;
}

// The text of another process's window, "?" when it gives none in 5 s.
inline std::string TextOf(HWND window)
{
    char text[1024];
    DWORD_PTR n = 0;
    return SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, 0, 5000, &n) ? std::string(text, n) : "?";
}

// How many of text's first characters a field shows whole: as many as fit in
// its formatting rectangle, where typing stops in a field that does not
// scroll. The program sets no font: its fields, and a new screen DC, have
// the system font.
inline int Fits(HWND field, const std::string &text)
{
    RECT format = {};
    SIZE size = {};
    int count = 0;
    HDC dc = GetDC(nullptr);
    SendMessageA(field, EM_GETRECT, 0, (LPARAM)&format);
    GetTextExtentExPointA(dc, text.c_str(), (int)text.size(), format.right - format.left, &count, nullptr, &size);
    ReleaseDC(nullptr, dc);
    return count;
}

inline HWND FocusOf(HWND window)  // the focus in window's thread
{
    GUITHREADINFO info = {sizeof info};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// What holds the front, for a failure's message: its title, class and process.
inline std::string InFront(HWND window = GetForegroundWindow())
{
    char title[256] = "", kind[64] = "", image[MAX_PATH] = "";
    DWORD id = 0, size = MAX_PATH;
    GetWindowTextA(window, title, sizeof title), GetClassNameA(window, kind, sizeof kind);
    HANDLE owner = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, (GetWindowThreadProcessId(window, &id), id));
    QueryFullProcessImageNameA(owner, 0, image, &size), CloseHandle(owner);
    return "in front: \"" + std::string(title) + "\" (" + kind + "), process " + std::to_string(id) + " " + image;
}

// A virus scanner opens each new file for a moment (Windows Defender does on
// every hosted CI runner): what the tests do to their own files is tried again
// for a while, as the program waits out such files.
inline bool Remove(const std::string &path)
{
    return WaitUntil([&] { return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; });
}

inline std::wstring Wide(const std::string &text)  // from the code page
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), (int)wide.size()) - 1);
    return wide;
}

inline std::string ReadBytes(const std::string &path)  // "" when there is no such file
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A key pressed and let go, as SendInput sends it; or only its key-down
// (flags 0) or only its key-up (KEYEVENTF_KEYUP); a character without a key
// as a keyboard sends one (KEYEVENTF_UNICODE).
inline void Press(WORD key, int flags = -1, WCHAR character = 0)
{
    INPUT input = {INPUT_KEYBOARD, {.ki = {key, character, 0, 0, 0}}};
    for (DWORD up : {0, KEYEVENTF_KEYUP})
        if (flags == -1 || flags == (int)up)
            input.ki.dwFlags = up | (character ? KEYEVENTF_UNICODE : 0), SendInput(1, &input, sizeof input);
}

// A mouse click, posted: on a button, a field or the background alike.
inline void Click(HWND window)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// A code page of one byte a character, where every byte comes back from a
// window as it went in.
inline bool SingleByte() { CPINFO codePage = {}; return GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize == 1; }

// Under Wine, which the tests may tell apart from Windows; the program never does.
inline bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version") != nullptr; }

// A file in the test program's folder, where the programs under test and the
// results are.
inline std::string Beside(const std::string &name)
{
    char path[MAX_PATH] = "";
    std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return self.substr(0, self.rfind('\\') + 1) + name;
}

// A shown top-level window of the class given (or any), with part in its
// title, of the process given (or any), that has a control of the id given
// (or any). Jumpdeck's is found by its class, as other windows may have
// Jumpdeck in their titles (a folder window of the test archive); the
// open-file dialog by its file name box, 0x47C, whatever the system's language.
inline HWND Shown(const char *className, const std::string &part = "", DWORD process = 0, int control = 0)
{
    char title[256];
    DWORD owner = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr;) {
        GetWindowTextA(window, title, sizeof title), GetWindowThreadProcessId(window, &owner);
        if (IsWindowVisible(window) && strstr(title, part.c_str()) && (!process || owner == process) &&
            (!control || GetDlgItem(window, control)))
            return window;
    }
    return nullptr;
}

class DeckTest : public ::testing::Test {
protected:
    std::string root, dir;                    // the folders of all tests; this test's
    HANDLE job = nullptr, process = nullptr;  // the program, and all it started
    HWND deck = nullptr, other = nullptr;     // its main window; the test's own field
    std::vector<HANDLE> held;                 // files held until "release"
    HWND front = nullptr;                     // the one of them the steps last put in front
    std::string kept;                         // what the last field filled past its width kept
    const char *smallDisk = nullptr;          // the variable naming a small volume, when the test needs one

    // Short, so that the paths of files in it stay well within 99 bytes. The
    // program's texts are code page 936 bytes, compared as such: on 936, and on
    // any code page of one byte a character, every byte comes back from a
    // window as it went in; on 932, 949, 950 or 65001 it does not.
    void SetUp() override
    {
        if (GetACP() != 936 && !SingleByte())
            GTEST_SKIP() << "code page " << GetACP() << " does not keep Jumpdeck's bytes (code page 936) as they are";
        ASSERT_TRUE(WaitUntil([] { return !Shown("DECKWND"); })) << "another Jumpdeck holds F1 to F3: close it first";
        char temp[MAX_PATH] = "";
        if (smallDisk ? !GetEnvironmentVariableA(smallDisk, temp, MAX_PATH)
                      : !GetShortPathNameA(std::string(temp, GetTempPathA(MAX_PATH, temp)).c_str(), temp, MAX_PATH))
            GTEST_SKIP() << smallDisk << " names no folder on a small volume (a USB stick or a VHD of 1 GiB or less)";
        root = temp + std::string(smallDisk ? "\\jd" : "jd");
        CreateDirectoryA(root.c_str(), nullptr);
        dir = root + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
        for (const char *program : {"Jumpdeck.exe", "marker.exe"})
            ASSERT_TRUE(CopyFileA(Beside(program).c_str(), In(program).c_str(), FALSE)) << Beside(program);
        std::ofstream(In("dwmapi.dll")) << "A DLL named like one of the system's, beside the program: it cannot load.";
        // Hidden until a step wants it: shown, it takes the foreground whenever the
        // program hides, and Wine can hand it back later, in the middle of other steps.
        other = CreateWindowExA(0, "edit", "", WS_POPUP, 0, 0, 300, 40, nullptr, nullptr, nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {{{}, {}, JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE}};
        job = CreateJobObjectA(nullptr, nullptr);
        ASSERT_TRUE(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
    }

    // A failed test's folder stays for a look.
    void TearDown() override
    {
        if (dir.empty())
            return;  // skipped before it began
        Run({"release"}), EndJob(), DestroyWindow(other);  // and the keys it holds
        if (HasFailure())
            return (void)printf("the test's folder: %s\n", dir.c_str());
        std::string folder = dir + std::string(2, '\0');  // the shell's list of one
        SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, folder.c_str(), nullptr, FOF_NO_UI};
        EXPECT_TRUE(WaitUntil([&] { return SHFileOperationA(&remove) == 0; })) << dir;
        RemoveDirectoryA(root.c_str());  // once no test has a folder there
    }

    // The window as the screen shows it, kept beside the test program. Seen
    // from a thread that knows the display's scale (from Windows 10 1607;
    // before, nothing changes), the window of a program that does not know it
    // (Jumpdeck) is that program's 600x360 scaled whole.
    void Picture()
    {
        auto see = (void *(WINAPI *)(void *))(void *)GetProcAddress(GetModuleHandleA("user32"),
                                                                    "SetThreadDpiAwarenessContext");
        void *was = see ? see((void *)-2) : nullptr;  // DPI_AWARENESS_CONTEXT_SYSTEM_AWARE
        RECT area = {};
        GetWindowRect(deck, &area);
        HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
        LONG width = area.right - area.left, height = area.bottom - area.top, dpi = GetDeviceCaps(screen, LOGPIXELSX);
        BITMAPINFOHEADER info = {sizeof info, width, height, 1, 32, BI_RGB};
        char *pixels = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, (BITMAPINFO *)&info, DIB_RGB_COLORS, (void **)&pixels, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY), GdiFlush();
        DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info, size = DWORD(width * height * 4);
        BITMAPFILEHEADER file = {0x4D42, headers + size, 0, 0, headers};
        std::ofstream(Beside("jumpdeck-window.bmp"), std::ios::binary).write((char *)&file, sizeof file)
            .write((char *)&info, sizeof info).write(pixels, size);
        SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc), ReleaseDC(nullptr, screen), see && see(was);
        EXPECT_TRUE(abs(width - MulDiv(600, dpi, 96)) <= 1 && abs(height - MulDiv(360, dpi, 96)) <= 1)
            << width << "x" << height << ", " << dpi << " dpi";
    }

    // A shortcut to the marker, made as the shell makes one, that starts it with args.
    void MakeShortcut(const std::string &name, const std::string &args)
    {
        IShellLinkA *link = nullptr;
        IPersistFile *file = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)) && SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr,
            CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)) && SUCCEEDED(link->SetArguments(args.c_str())) &&
            SUCCEEDED(link->SetPath(In("marker.exe").c_str())) && SUCCEEDED(link->QueryInterface(IID_IPersistFile,
            (void **)&file)) && SUCCEEDED(file->Save(Wide(In(name)).c_str(), TRUE)));
        file->Release(), link->Release();
    }

    // Calls a function of a system DLL, which sits at the same address in every
    // process, on a thread of the program's own; returns its result, 0 if none.
    // Its argument is given, or else text, copied into the program first.
    DWORD CallInProgram(const char *module, const char *function, const std::string &text, void *argument = nullptr)
    {
        size_t size = text.size() + 1;
        EXPECT_TRUE(argument || ((argument = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) &&
                                 WriteProcessMemory(process, argument, text.c_str(), size, nullptr)));
        HANDLE thread = CreateRemoteThread(process, nullptr, 0,
            (LPTHREAD_START_ROUTINE)(void *)GetProcAddress(LoadLibraryA(module), function), argument, 0, nullptr);
        DWORD result = 0;
        EXPECT_TRUE(thread && WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &result));
        CloseHandle(thread);
        return result;
    }

    std::string In(const std::string &name) const { return dir + "\\" + name; }

    // Until window or a child of it has the focus: without a window manager
    // Wine's first attempt can leave the desktop in front. Windows lets a
    // process take the front only in the cases SetForegroundWindow's remarks
    // list: a test started by a background process, with a console in front,
    // is in none until it "received the last input event", which a hotkey of
    // its own, pressed, is. Failing, it says what holds the front.
    testing::AssertionResult BringToFront(HWND window)
    {
        auto inFront = [&] {  // the hotkey's key-down, taken in before the next try, is the last input event
            if (GetForegroundWindow() != window && !SetForegroundWindow(window) &&
                RegisterHotKey(other, 0xBFFF, 0, VK_F22))  // the last id a program may take
                Press(VK_F22, 0);
            HWND focus = FocusOf(window);
            return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
        };
        bool done = WaitUntil(inFront);
        if (UnregisterHotKey(other, 0xBFFF))  // let go only now: its key-up goes to the front
            Press(VK_F22, KEYEVENTF_KEYUP);
        return done ? testing::AssertionSuccess() : testing::AssertionFailure() << InFront();
    }

    // The marker's starts so far, a line each; only those with args, when given.
    int Starts(const std::string &args = "")
    {
        std::string log = ReadBytes(In("marker.log")), line = args.empty() ? "start" : "start " + args + "\n";
        int count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            count++;
        return count;
    }
    bool Responds() { return SendMessageTimeoutA(deck, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr); }
    DWORD ExitCode(HANDLE program)  // STILL_ACTIVE when it does not end within 5 s
    {
        DWORD code = STILL_ACTIVE;
        return !WaitForSingleObject(program, 5000) && GetExitCodeProcess(program, &code) ? code : STILL_ACTIVE;
    }

    // A control by its name in the steps, found as a person finds it, where the
    // window shows it, whatever its id: at the middle of a row's key field,
    // path field or browse button, or of a button along the bottom.
    HWND Control(const std::string &name)
    {
        const char *bottom[] = {"manual", "on", "off", "save"};  // left to right
        const int tops[] = {20, 55, 90, 160, 195, 230};
        int along = int(std::find(bottom, bottom + 4, name) - bottom);
        POINT at = {name[0] == 'k' ? 45 : name[0] == 'p' ? 300 : 540, tops[(name.back() - '1') % 6] + 12};
        if (along < 4)
            at = {70 + 140 * along, 295};
        return name == "window" ? deck : name == "other" ? other : ChildWindowFromPointEx(deck, at, CWP_SKIPINVISIBLE);
    }

    // The key file and the path file of "KEYS|PATH|...|SWITCH".
    static std::pair<std::string, std::string> DataFiles(const std::string &text)
    {
        std::vector<std::string> parts(1);
        for (char c : text)
            c == '|' ? parts.push_back("") : (void)(parts.back() += c);
        std::string keys = (parts[0] + ".......").substr(0, 7), paths;
        std::replace(keys.begin(), keys.end(), '.', '\0');
        for (size_t slot = 1; slot <= 7; slot++) {
            std::string path = slot < parts.size() - 1 ? parts[slot] : "";
            keys += (path.size() < 10 ? " " : "") + std::to_string(path.size()), paths += path;
        }
        return {keys + " " + parts.back(), paths};
    }

    // Starts the program from folder in the job, which it joins before it runs.
    HANDLE Launch(const std::string &folder)
    {
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION started = {};
        bool running = CreateProcessA(In("Jumpdeck.exe").c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                      nullptr, folder.c_str(), &startup, &started) &&
                       AssignProcessToJobObject(job, started.hProcess) && ResumeThread(started.hThread) == 1;
        EXPECT_TRUE(running) << "error " << GetLastError() << ", from " << folder;
        return running ? started.hProcess : nullptr;
    }

    // Ends the program and all it started. Under Wine a process the job ends
    // while it is still being created escapes: the server buries it before it
    // has run, and it then waits for the server forever, holding the test
    // runner's output. So the program first finishes what it is doing, and
    // each process it started comes up (waits for input) or ends.
    void EndJob()
    {
        struct { JOBOBJECT_BASIC_PROCESS_ID_LIST list; ULONG_PTR more[15]; } ids = {{16}};
        if (!job || (Responds(), !QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, NULL)))
            ids.list.NumberOfProcessIdsInList = 0;
        for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; i++) {
            HANDLE one = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, (DWORD)ids.list.ProcessIdList[i]);
            auto up = [&] { return !WaitForSingleObject(one, 0) || !WaitForInputIdle(one, 0); };  // or ended
            EXPECT_TRUE(!one || WaitUntil(up, 10000)) << "process " << ids.list.ProcessIdList[i] << " never came up";
            CloseHandle(one);
        }
        TerminateJobObject(job, 1), CloseHandle(job), job = nullptr;
    }

    // On a Windows whose language for non-Unicode programs is not Chinese,
    // every text comes out garbled: the first start in a folder, and only
    // that, says what to set, in words that read right there. Answered here.
    void AnswerCodePageNotice(bool firstStart)
    {
        HWND box = nullptr;
        wchar_t text[1024] = L"";
        if (GetACP() == 936 || !firstStart)
            return;
        ASSERT_TRUE(WaitUntil([&] { return (box = Shown(nullptr, "Notice")) != nullptr; })) << "no notice";
        SendMessageTimeoutW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 1024, (LPARAM)text, 0, 5000, nullptr);
        EXPECT_TRUE(wcsstr(text, L"“中文(简体，中国)”") && wcsstr(text, L"\"Chinese (Simplified, China)\"")) << text;
        PostMessageA(box, WM_COMMAND, IDOK, 0), WaitUntil([&] { return !IsWindow(box); });
    }

    // Starts the program in the test's job, which ends it, and all it started,
    // when the test ends; waits for its window, in front with the focus on it.
    void Start()
    {
        bool firstStart = GetFileAttributesA(In("l.z").c_str()) == INVALID_FILE_ATTRIBUTES;
        ASSERT_TRUE((process = Launch(dir)) != nullptr);
        ASSERT_TRUE(WaitUntil([&] { return (deck = Shown("DECKWND", "", GetProcessId(process))) != nullptr; }, 10000));
        ASSERT_NO_FATAL_FAILURE(AnswerCodePageNotice(firstStart));
        // The window shows before its keys are registered. Once a posted click
        // has moved the focus into a field, the program is in its message loop
        // with every key in place (and a notice it shows at the start is up); a
        // click on the background takes it back.
        Run({"click key1", "focus key1", "click window", "shown", "focus window"});
        EXPECT_FALSE(Shown(nullptr, "Notice")) << "a notice of the code page at a start that needs none";
    }

    void Run(const std::vector<std::string> &steps)
    {
        for (std::string step : steps) {
            for (const auto &[mark, value] : {std::pair<std::string, std::string>{"{dir}", dir}, {"{kept}", kept}})
                for (size_t at; (at = step.find(mark)) != std::string::npos;)
                    step.replace(at, mark.size(), value);
            SCOPED_TRACE(step);
            if (step.rfind("dbcs ", 0) == 0 && (step.erase(0, 5), SingleByte())) {
                printf("not checked, as it needs a double-byte code page: %s\n", step.c_str());
                continue;
            }
            std::string verb = step.substr(0, step.find(' ')), rest = step.substr(verb.size() + (verb != step));
            std::string name = rest.substr(0, rest.find(' ')), text = rest.substr(name.size() + (name != rest));
            HWND box = nullptr;
            if (verb == "data" || verb == "stopped") {  // stopped: the new key file waits, the old paths aside
                EXPECT_TRUE(verb == "data" || MoveFileA(In("z.l").c_str(), In("z.l.old").c_str()));
                std::ofstream(In(verb == "data" ? "l.z" : "l.z.new"), std::ios::binary) << DataFiles(rest).first;
                std::ofstream(In("z.l"), std::ios::binary) << DataFiles(rest).second;
            } else if (verb == "readonly" || verb == "writable") {
                EXPECT_TRUE(verb == "readonly" || GetFileAttributesA(In(rest).c_str()) & FILE_ATTRIBUTE_READONLY);
                SetFileAttributesA(In(rest).c_str(), verb[0] == 'r' ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
            } else if (verb == "start") {
                ASSERT_NO_FATAL_FAILURE(Start());
            } else if (verb == "quit") {
                ASSERT_NO_FATAL_FAILURE(Run({"shown", "click window", "focus window", "key Esc"}));
                EXPECT_EQ(ExitCode(process), 0u);
            } else if (verb == "key" || verb == "repeat") {
                // Under load Wine can hand the foreground to the desktop late, for a focus
                // change long past: the key goes where the steps last put the foreground.
                if (front && IsWindowVisible(front) && GetForegroundWindow() != front) {
                    // Activated again, the window takes the focus: a field (what has a text limit) gets it back.
                    HWND had = FocusOf(front);
                    ASSERT_TRUE(BringToFront(front));
                    if (IsChild(front, had) && FocusOf(front) != had && SendMessageA(had, EM_GETLIMITTEXT, 0, 0)) {
                        Click(had);
                        ASSERT_TRUE(WaitUntil([&] { return FocusOf(front) == had; })) << "focus not back";
                    }
                }
                WORD key = rest == "Esc" ? VK_ESCAPE : rest.size() == 2 ? VK_F1 + rest[1] - '1' : rest[0];
                // A keyboard repeats every 33 ms or more.
                for (int down = 0; verb == "repeat" && down < 5; down++, Sleep(40))
                    Press(key, 0);
                Press(key, verb == "repeat" ? KEYEVENTF_KEYUP : -1);
            } else if (verb == "set") {
                EXPECT_TRUE(SendMessageTimeoutA(Control(name), WM_SETTEXT, 0, (LPARAM)text.c_str(), 0, 5000, nullptr));
            } else if (verb == "click") {
                Click(Control(rest));
            } else if (verb == "type" || verb == "paste" || verb == "fill") {
                HWND field = Control(name);
                ASSERT_TRUE(BringToFront(front = deck));
                Click(field);
                ASSERT_TRUE(WaitUntil([&] { return field && FocusOf(deck) == field; })) << "no field there";
                if (verb == "fill") {  // its last character again, past the field's width
                    int shown = Fits(field, text.append(300, text.back()));
                    kept = text.substr(0, name[0] == 'k' ? 1 : shown), text.resize(shown + 3);
                }
                if (verb == "paste")  // copied in the test's own field, as in another program
                    SendMessageA(other, WM_SETTEXT, 0, (LPARAM)text.c_str()), SendMessageA(other, EM_SETSEL, 0, -1),
                        SendMessageA(other, WM_COPY, 0, 0);
                else  // typed after what the field holds
                    Press(VK_END);
                // Each character as a keyboard sends one, with no Shift or Ctrl to
                // hold: a Shift sent beside a letter was once let go before it (a
                // path typed "c:\" for "C:\"); Wine brings its modifier keys in line
                // with the X server's, which knows nothing of SendInput.
                for (WCHAR c : verb == "paste" ? "\x16" : text)  // Ctrl+V's character for a paste
                    Press(0, -1, c);
                // Filled: a double-click after the keys, whose selection says that they have all come.
                RECT area = {};
                if (verb == "fill" && GetWindowRect(field, &area) && SetCursorPos(area.left + 4, area.top + 12))
                    for (int click = 0; click < 4; click++)
                        mouse_event(click % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
                auto shown = [&] {
                    DWORD selection = (DWORD)SendMessageA(field, EM_GETSEL, 0, 0);
                    return verb == "type" ? TextOf(field) == text
                                          : LOWORD(selection) != HIWORD(selection) && TextOf(field) == kept;
                };
                EXPECT_TRUE(verb == "paste" || WaitUntil(shown)) << TextOf(field);
            } else if (verb == "hold") {
                HANDLE file = INVALID_HANDLE_VALUE, timer;
                auto take = [&] {
                    file = CreateFileA(In(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                    return file != INVALID_HANDLE_VALUE;
                };
                auto letGo = [](void *h, BOOLEAN) { CloseHandle(h); };  // on the system's timer thread
                ASSERT_TRUE(WaitUntil(take)) << name;
                if (text.empty() || !CreateTimerQueueTimer(&timer, nullptr, letGo, file, atoi(text.c_str()), 0, 0))
                    held.push_back(file);
            } else if (step == "release") {
                for (; !held.empty(); held.pop_back())
                    CloseHandle(held.back());
            } else if (verb == "other") {
                ShowWindow(other, SW_SHOW);
                EXPECT_TRUE(BringToFront(front = other));
            } else if (verb == "notice" || verb == "cancel") {
                ASSERT_TRUE(WaitUntil([&] { return (box = Shown(nullptr, "提示", 0, 0xFFFF)) != nullptr; }));
                EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), rest);
                PostMessageA(box, WM_COMMAND, verb == "notice" ? IDOK : IDCANCEL, 0);
                WaitUntil([&] { return !IsWindow(box); });  // gone, and the foreground handed on
            } else if (step == "no notice") {
                EXPECT_FALSE(Shown(nullptr, "提示"));
            } else if (verb == "files") {
                std::pair<std::string, std::string> files = DataFiles(rest);
                EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == files.first; })) << ReadBytes(In("l.z"));
                EXPECT_EQ(ReadBytes(In("z.l")), files.second);  // moved in before the key file
            } else if (verb == "empty") {
                EXPECT_TRUE(std::ifstream(In(rest)) && ReadBytes(In(rest)).empty());
            } else if (verb == "starts") {
                EXPECT_TRUE(WaitUntil([&] { return Starts(text) == std::stoi(name); })) << ReadBytes(In("marker.log"));
            } else if (verb == "hidden" || verb == "shown") {
                EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(deck) == (verb == "shown"); }));
                ASSERT_TRUE(verb == "hidden" ? testing::AssertionSuccess() : BringToFront(front = deck));
            } else if (verb == "shows") {
                EXPECT_TRUE(WaitUntil([&] { return TextOf(Control(name)) == text; })) << TextOf(Control(name));
            } else if (verb == "focus") {
                ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck) == Control(rest); }));
            } else if (verb == "window" || step == "warning") {  // closed (declined) once seen: left open, it could
                auto seen = [&] {                                   // take the foreground later
                    box = step == "warning" ? Shown("#32770", "", GetProcessId(process)) : Shown(nullptr, rest);
                    return box && TextOf(box) != "提示";  // the warning is no notice of the program's
                };
                ASSERT_TRUE(WaitUntil(seen, 10000)) << "no such window; " << InFront();
                EXPECT_TRUE(PostMessageA(box, WM_CLOSE, 0, 0) && WaitUntil([&] { return !IsWindow(box); }, 10000));
            } else if (step == "again") {
                EXPECT_TRUE(Remove(In("生命手册.txt")));  // made again by any start that loads the data files
                EXPECT_EQ(ExitCode(Launch(CharUpperA(std::string(dir).data()))), 0u);
                EXPECT_EQ(GetFileAttributesA(In("生命手册.txt").c_str()), INVALID_FILE_ATTRIBUTES);
                EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == (front = deck) && !IsIconic(deck); }));
            } else if (verb == "beside") {  // in its message loop, its window shown, and staying
                CreateDirectoryA(In(rest).c_str(), nullptr);
                HANDLE beside = Launch(In(rest));
                EXPECT_TRUE(WaitForInputIdle(beside, 10000) == 0 && WaitForSingleObject(beside, 300) == WAIT_TIMEOUT);
                ASSERT_NO_FATAL_FAILURE(AnswerCodePageNotice(true));
            } else if (verb == "context") {
                EXPECT_EQ(CallInProgram("imm32", "ImmGetContext", "", Control(name)) != 0, text == "some");
            } else if (step == "minimize") {
                ShowWindow(deck, SW_MINIMIZE);
            } else if (step == "picture") {
                ASSERT_NO_FATAL_FAILURE(Picture());
            } else {
                FAIL() << "no such step";
            }
        }
    }
};
