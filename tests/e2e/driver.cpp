#include "tests/e2e/driver.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <stdio.h>

const Row rows[6] = {{0, 3, 7}, {1, 4, 8}, {2, 5, 9}, {13, 14, 15}, {16, 17, 18}, {19, 20, 21}};

const char NOTICE_CAPTION[] = "提示";
const char SAVE_FAILED[] = "what the fuke";
const char REPEAT_QUESTION[] = "打开此的是应用程序？";
const char ENABLED_NOTICE[] = "以注册热键，如有冲突请取消热键";
const char DISABLED_NOTICE[] = "以取消热键";
const char MANUAL_NAME[] = "生命手册.txt";

static const char OPEN_DIALOG_TITLE[] = "打开";
static const int FILE_NAME_COMBO = 0x47C;

// The build names its programs by host paths; Wine sees the host's root as Z:.
static std::string WindowsPath(const char *buildPath)
{
    std::string path = buildPath;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char &c : path)
            if (c == '/')
                c = '\\';
    }
    return path;
}

// Also keeps the driver's own windows going while it waits.
bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount();;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

bool StartDeck(Deck *deck, const std::string &dir)
{
    *deck = Deck();
    deck->job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!deck->job || !SetInformationJobObject(deck->job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return false;

    std::string exe = WindowsPath(JUMPDECK_EXE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, dir.c_str(),
            &startup, &started))
        return false;
    bool joined = AssignProcessToJobObject(deck->job, started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    deck->process = started.hProcess;
    deck->pid = started.dwProcessId;
    return joined;
}

struct WindowSearch {
    const Deck *deck;
    const char *className;
    std::string titlePart;
    bool shownOnly;
    HWND found;
};

static bool InJob(const Deck &deck, DWORD pid)
{
    for (DWORD member : JobProcesses(deck))
        if (member == pid)
            return true;
    return false;
}

static BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    bool owner = search->className ? pid == search->deck->pid : InJob(*search->deck, pid);
    if (owner && (!search->shownOnly || IsWindowVisible(window)) &&
        (!search->className || strcmp(className, search->className) == 0) &&
        strstr(title, search->titlePart.c_str()) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND FindWindowOf(const Deck &deck, const char *className, const std::string &titlePart, bool shownOnly)
{
    WindowSearch search = {&deck, className, titlePart, shownOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForMainWindow(Deck *deck, DWORD timeoutMs)
{
    WaitForInputIdle(deck->process, timeoutMs);
    return WaitUntil(
        [&] { return (deck->window = FindWindowOf(*deck, "DECKWND", "Jumpdeck", true)) != nullptr; }, timeoutMs);
}

DWORD WaitForExit(const Deck &deck, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(deck.process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(deck.process, &code);
    return code;
}

std::vector<DWORD> JobProcesses(const Deck &deck)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids = {};
    std::vector<DWORD> pids;
    if (deck.job && QueryInformationJobObject(deck.job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr))
        for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; i++)
            pids.push_back((DWORD)ids.list.ProcessIdList[i]);
    return pids;
}

// Processes the program has just started get to finish starting first: Wine
// leaves a process that is killed half-way through its start hanging outside
// the server, holding the test runner's output open.
void StopDeck(Deck *deck)
{
    if (deck->job) {
        for (DWORD pid : JobProcesses(*deck)) {
            if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
                WaitForInputIdle(process, 3000);
                CloseHandle(process);
            }
        }
        TerminateJobObject(deck->job, 1);
        WaitUntil([&] { return JobProcesses(*deck).empty(); });
        CloseHandle(deck->job);
    }
    if (deck->process)
        CloseHandle(deck->process);
    *deck = Deck();
}

HWND FindJobWindow(const Deck &deck, const std::string &part) { return FindWindowOf(deck, nullptr, part, true); }

bool Responds(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

HWND Control(const Deck &deck, int id) { return GetDlgItem(deck.window, id); }

std::string TextOf(HWND window)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    return std::string(text, length);
}

bool SetText(HWND field, const std::string &text)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(field, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Without a window manager the first attempt can leave the desktop in front.
bool BringToFront(HWND window)
{
    return WaitUntil([&] {
        if (GetForegroundWindow() != window)
            SetForegroundWindow(window);
        HWND focus = FocusOf(window);
        return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
    });
}

static void SendKey(WORD virtualKey, WORD character, DWORD flags)
{
    INPUT presses[2] = {};
    for (INPUT &press : presses) {
        press.type = INPUT_KEYBOARD;
        press.ki.wVk = virtualKey;
        press.ki.wScan = character;
        press.ki.dwFlags = flags;
    }
    presses[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, presses, sizeof(INPUT));
}

void PressKey(WORD virtualKey) { SendKey(virtualKey, (WORD)MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC), 0); }

void TypeText(const std::string &text)
{
    for (unsigned char c : text)
        SendKey(0, c, KEYEVENTF_UNICODE);
}

static void ClickAt(int x, int y)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT steps[3] = {};
    for (INPUT &step : steps) {
        step.type = INPUT_MOUSE;
        step.mi.dx = (x * 65536 + width / 2) / width;
        step.mi.dy = (y * 65536 + height / 2) / height;
        step.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    steps[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    steps[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, steps, sizeof(INPUT));
}

void ClickClient(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    ClickAt(point.x, point.y);
}

void Click(HWND control)
{
    RECT box;
    GetWindowRect(control, &box);
    ClickAt((box.left + box.right) / 2, (box.top + box.bottom) / 2);
}

// A box counts once it is on screen with its text, until it starts to close.
static HWND FindNotice(const Deck &deck)
{
    HWND box = FindWindowOf(deck, "#32770", NOTICE_CAPTION, true);
    return box && GetDlgItem(box, 0xFFFF) ? box : nullptr;
}

HWND WaitForNotice(const Deck &deck, DWORD timeoutMs)
{
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindNotice(deck)) != nullptr; }, timeoutMs);
    return box;
}

bool NoticeShown(const Deck &deck) { return FindNotice(deck) != nullptr; }

std::string NoticeText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

std::string AnswerNotice(const Deck &deck, int button, DWORD timeoutMs)
{
    HWND box = WaitForNotice(deck, timeoutMs);
    if (!box)
        return "";
    std::string text = NoticeText(box);
    PostMessageA(box, WM_COMMAND, button, 0);
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
}

bool BrowseTo(const Deck &deck, int browseButton, const std::string &path)
{
    Click(Control(deck, browseButton));
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindWindowOf(deck, "#32770", OPEN_DIALOG_TITLE, false)) != nullptr; }, 10000))
        return false;
    // A dialog still building itself overwrites the name or ignores the OK:
    // repeat both until it closes.
    for (int attempt = 0; attempt < 10; attempt++) {
        HWND name = GetDlgItem(dialog, FILE_NAME_COMBO);
        if (name && IsWindowVisible(name) && SetText(name, path) && TextOf(name) == path)
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        if (WaitUntil([&] { return !IsWindow(dialog); }, 1000))
            return true;
    }
    return false;
}

std::string ReadBytes(const std::string &path)
{
    std::string bytes;
    if (FILE *file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, got);
        fclose(file);
    }
    return bytes;
}

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string MakeScratchDir()
{
    // Short, so that whole paths can be typed into the path fields, which stop
    // taking characters at their visible width.
    static int made;
    CreateDirectoryA("C:\\e2e", nullptr);
    char dir[MAX_PATH];
    snprintf(dir, sizeof dir, "C:\\e2e\\%lu-%d", GetCurrentProcessId(), ++made);
    RemoveTree(dir);
    CreateDirectoryA(dir, nullptr);
    return dir;
}

void RemoveTree(const std::string &path)
{
    std::string from = path + '\0';  // a list of one name
    SHFILEOPSTRUCTA remove = {};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
}

bool PlaceMarker(const std::string &dir)
{
    return CopyFileA(WindowsPath(MARKER_EXE).c_str(), (dir + "\\marker.exe").c_str(), FALSE) != 0;
}

std::vector<std::string> MarkerStarts(const std::string &dir)
{
    std::vector<std::string> starts;
    std::string log = ReadBytes(dir + "\\marker.log");
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
        starts.push_back(log.substr(at, end - at));
    return starts;
}

bool MakeShortcut(const std::string &linkPath, const std::string &target, const std::string &arguments)
{
    CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)))
        return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    IPersistFile *file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        wchar_t widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        saved = SUCCEEDED(file->Save(widePath, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

std::string KeyFile(const std::string &keys, const std::vector<size_t> &lengths, int hotkeys)
{
    std::string bytes = keys;
    bytes.resize(7, '\0');
    char field[8];
    for (size_t slot = 0; slot < 7; slot++) {
        snprintf(field, sizeof field, "%2u", slot < lengths.size() ? (unsigned)lengths[slot] : 0u);
        bytes += field;
    }
    snprintf(field, sizeof field, "%2d", hotkeys);
    return bytes + field;
}
