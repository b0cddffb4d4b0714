// What a person does with Jumpdeck, from the first start to the last Escape,
// seen only through the real program, its window and the files it leaves.
#include "tests/e2e/driver.h"

#include <psapi.h>
#include <shlobj.h>
#include <shobjidl.h>

class Journey : public DeckTest {
protected:
    // Waits for marker.log to read one of accepted: a line "start ARG" for
    // each start of the marker, in the order they came.
    void ExpectStarts(const std::vector<std::string> &accepted)
    {
        std::string log;
        auto matches = [&] { return std::count(accepted.begin(), accepted.end(), log = ReadBytes(In("marker.log"))); };
        EXPECT_TRUE(WaitUntil(matches)) << log;
    }

    void ExpectHidden(bool hidden)
    {
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(deck) == hidden; })) << (hidden ? "shown" : "hidden");
    }

    // A plain field of the test's own, in front: the focus is elsewhere.
    HWND OtherProgram()
    {
        HWND other = CreateWindowExA(0, "edit", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 300, 40, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(BringToFront(other));
        return other;
    }
};

// Escape in a field belongs to the field; after a click on the background it
// ends the program, and edits left unsaved are gone.
TEST_F(Journey, FirstStartBindSaveLaunchQuitAndStartAgain)
{
    Start();
    for (const std::string &name : {std::string("l.z"), std::string("z.l"), MANUAL_NAME})
        EXPECT_TRUE(Exists(In(name)) && ReadBytes(In(name)).empty()) << name;
    EXPECT_EQ(Fields(), "=;=;=;=;=;=;");

    std::string program = In("marker.exe"), note = In("note.txt");
    TypeInto(rows[0].key, "a", "a");
    SetText(rows[0].path, program);
    TypeInto(rows[1].key, "bc", "b");  // a key field keeps one character
    SetText(rows[1].path, note);
    Click(Control(SAVE));
    ExpectDataFiles("ab", {program, note});
    EXPECT_FALSE(Notice());

    // Save gave the focus back to the window, where a typed key launches,
    // without the question that guards hotkey launches; F1 shows it again.
    for (const char *starts : {"start -\n", "start -\nstart -\n"}) {
        PressKey('A');
        ExpectStarts({starts});
        ExpectHidden(true);
        PressKey(VK_F1);
        ExpectHidden(false);
        ASSERT_TRUE(BringToFront(deck));
    }

    TypeInto(rows[1].path, "-edited", note + "-edited");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(Responds());
    EXPECT_EQ(WaitForSingleObject(process, 300), (DWORD)WAIT_TIMEOUT) << "Escape in a field ended the program";
    Quit();
    ExpectDataFiles("ab", {program, note});
    Start();
    EXPECT_EQ(Fields(), "a=" + program + ";b=" + note + ";=;=;=;=;");
}

TEST_F(Journey, TypedKeysLaunchEveryKindOfTarget)
{
    IShellLinkA *link = nullptr;
    IPersistFile *file = nullptr;
    std::string shortcut = In("desk.lnk");  // in ASCII
    CoInitialize(nullptr);
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link), S_OK);
    link->SetPath(In("marker.exe").c_str());
    link->SetArguments("via-shortcut");
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, (void **)&file), S_OK);
    ASSERT_EQ(file->Save(std::wstring(shortcut.begin(), shortcut.end()).c_str(), TRUE), S_OK);
    file->Release();
    link->Release();
    ASSERT_TRUE(WriteBytes(In("note.txt"), "hello\r\n") && CreateDirectoryA(In("folder").c_str(), nullptr));
    WriteDataFiles({'a', 'a', 't', 0, 'f'}, {In("marker.exe"), shortcut, In("note.txt"), "", In("folder")});
    Start();

    // Two slots with the same key both start; a text file opens in the editor,
    // a folder in a folder window.
    const std::pair<WORD, const char *> targets[] = {{'A', nullptr}, {'T', "note.txt"}, {'F', "folder"}, {'Z', nullptr}};
    for (const auto &target : targets) {
        ASSERT_TRUE(BringToFront(deck));
        PressKey(target.first);
        if (target.second) {
            EXPECT_TRUE(WaitUntil([&] { return FindShown(nullptr, target.second); }, 10000)) << target.second;
        }
        ExpectStarts({"start -\nstart via-shortcut\n", "start via-shortcut\nstart -\n"});
        ExpectHidden(target.first != 'Z');  // an unbound letter does nothing
        PressKey(VK_F1);
        ExpectHidden(false);
    }
}

TEST_F(Journey, HotkeysLaunchFromAnywhereGuardProgramsAndCanBeFreed)
{
    WriteDataFiles("a", {In("marker.exe")});
    Start();
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(), ENABLED);

    // The letter pressed in another program launches and does not reach it;
    // every second press of a program asks first.
    HWND other = OtherProgram();
    PressKey('A');
    ExpectStarts({"start -\n"});
    ExpectHidden(true);
    PressKey('A');
    EXPECT_EQ(AnswerNotice(IDCANCEL), REPEAT);
    PressKey('A');
    EXPECT_EQ(AnswerNotice(IDOK), REPEAT);
    ExpectStarts({"start -\nstart -\n"});
    EXPECT_EQ(TextOf(other), "") << "the hotkey let the letter through";

    // F3 frees the key, and the switch saved off stays off.
    PressKey(VK_F3);
    EXPECT_EQ(AnswerNotice(), DISABLED);
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(other) == "a"; })) << "the key is still held";
    Click(Control(SAVE));
    ExpectDataFiles("a", {In("marker.exe")}, 0);

    // The switch saved on takes effect, silently, at the next start.
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(), ENABLED);
    Click(Control(SAVE));
    ExpectDataFiles("a", {In("marker.exe")}, 1);
    PressKey(VK_F1);
    ExpectHidden(false);
    Quit();
    Start();
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    ExpectStarts({"start -\nstart -\nstart -\n"});
    EXPECT_FALSE(Notice());
    DestroyWindow(other);
}

// The open-file dialog looks in another folder; saves and the manual still go
// to the start-up folder. The manual, written anew and opened at each press,
// leaves the window shown. A DLL that the program loads by name comes from the
// system, never from beside the program.
TEST_F(Journey, BrowseManualAndLoadedDllsStayWhereTheyBelong)
{
    ASSERT_TRUE(CreateDirectoryA(In("docs").c_str(), nullptr));
    std::string chosen = In("docs\\chosen.txt");
    ASSERT_TRUE(WriteBytes(chosen, "x"));
    Start();
    Click(Control(rows[2].browse));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindShown("#32770", "打开")) != nullptr; }, 10000)) << "no dialog";
    // A dialog still building itself overwrites the name or ignores the OK:
    // repeat both until it closes.
    bool closed = false;
    for (int attempt = 0; attempt < 10 && !closed; attempt++) {
        HWND name = GetDlgItem(dialog, 0x47C);  // the file name combo
        if (name && IsWindowVisible(name) && Send(name, WM_SETTEXT, 0, (LPARAM)chosen.c_str()) && TextOf(name) == chosen)
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        closed = WaitUntil([&] { return !IsWindow(dialog); }, 1000);
    }
    ASSERT_TRUE(closed) << "the open-file dialog stays";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(Control(rows[2].path)) == chosen; }));
    Click(Control(SAVE));
    ExpectDataFiles("", {"", "", chosen});

    for (int press = 1; press <= 2; press++) {
        Click(Control(MANUAL));
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In(MANUAL_NAME)).size() == 422; })) << press;
        std::string manual = ReadBytes(In(MANUAL_NAME));
        EXPECT_EQ(manual.rfind("此文为说明文档\r\n1", 0), 0u) << press;
        size_t lineEnds = 0;
        for (size_t at = 0; (at = manual.find("\r\n", at)) != std::string::npos; at += 2)
            lineEnds++;
        EXPECT_EQ(lineEnds + std::count(manual.begin(), manual.end(), '\n'), 20u) << press;
        EXPECT_TRUE(WaitUntil([&] { return FindShown(nullptr, "生命手册") != nullptr; }, 10000)) << "not opened";
        EXPECT_TRUE(IsWindowVisible(deck));
    }
    for (const std::string &name : {std::string("l.z"), std::string("z.l"), MANUAL_NAME})
        EXPECT_FALSE(Exists(In("docs\\" + name))) << name << " went where the dialog looked";

    // The program loads "dwmapi.dll" by its bare name, in a thread of its own.
    LPTHREAD_START_ROUTINE load = (LPTHREAD_START_ROUTINE)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "LoadLibraryA");
    void *name = VirtualAllocEx(process, nullptr, 64, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(name && WriteProcessMemory(process, name, "dwmapi.dll", 11, nullptr));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, name, 0, nullptr);
    ASSERT_TRUE(thread && WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0);
    CloseHandle(thread);
    HMODULE modules[256];
    DWORD size = 0;
    std::string loaded;
    ASSERT_TRUE(EnumProcessModules(process, modules, sizeof modules, &size));
    for (DWORD i = 0; i < size / sizeof(HMODULE); i++) {
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(process, modules[i], path, sizeof path);
        if (strstr(CharLowerA(path), "dwmapi.dll"))
            loaded = path;
    }
    EXPECT_EQ(loaded, "c:\\windows\\system32\\dwmapi.dll");
}
