// What a person does with Jumpdeck, from the first start to the last Escape,
// seen only through the real program, its window and the files it leaves.
#include "tests/e2e/driver.h"

#include <shlobj.h>
#include <shobjidl.h>

class Journey : public DeckTest {
protected:
    // Waits for marker.log to read one of accepted: a line "start ARG" for
    // each start, in the order they came.
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
};

// Escape in a field belongs to the field; after a click on the background it
// ends the program, and edits left unsaved are gone.
TEST_F(Journey, FirstStartBindSaveEditEscapeAndStartAgain)
{
    Start();
    for (const char *name : {"l.z", "z.l", MANUAL_NAME}) {
        EXPECT_TRUE(Exists(In(name))) << name;
        EXPECT_EQ(ReadBytes(In(name)), "") << name;
    }
    ExpectFields({}, {});

    std::string first = In("marker.exe"), second = In("note.txt");
    TypeInto(rows[0].keyField, "a");
    TypeInto(rows[0].pathField, first);
    TypeInto(rows[1].keyField, "bc", "b");  // a key field keeps one character
    TypeInto(rows[1].pathField, second);
    ExpectFields({"a", "b"}, {first, second});
    Click(Control(SAVE_BUTTON));
    ExpectDataFiles("ab", {first, second});
    EXPECT_FALSE(Notice());
    Quit();

    Start();
    ExpectFields({"a", "b"}, {first, second});
    TypeInto(rows[0].keyField, "\bq", "q");
    TypeInto(rows[1].pathField, "-edited");
    ExpectFields({"q", "b"}, {first, second + "-edited"});
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(Responds());
    EXPECT_EQ(WaitForSingleObject(process, 300), (DWORD)WAIT_TIMEOUT) << "Escape in a field ended the program";
    Quit();
    ExpectDataFiles("ab", {first, second});

    Start();
    ExpectFields({"a", "b"}, {first, second});
    ExpectDataFiles("ab", {first, second});  // loading changes neither file
}

TEST_F(Journey, TypedKeysLaunchEveryKindOfTargetAndHideTheWindow)
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
    ASSERT_TRUE(WriteBytes(In("note.txt"), "hello\r\n"));
    ASSERT_TRUE(CreateDirectoryA(In("folder").c_str(), nullptr));
    WriteDataFiles({'a', 'a', 't', 0, 'f'}, {In("marker.exe"), In("desk.lnk"), In("note.txt"), "", In("folder")});
    Start();
    EXPECT_EQ(FocusOf(deck), deck) << "the window itself has the focus after start-up";

    // Two slots with the same key both start; a text file opens in the editor,
    // a folder in a folder window. Each launch hides the window, F1 shows it.
    const char *both[] = {"start -\nstart via-shortcut\n", "start via-shortcut\nstart -\n"};
    const std::pair<WORD, const char *> targets[] = {{'A', nullptr}, {'T', "note.txt"}, {'F', "folder"}};
    for (const auto &target : targets) {
        ASSERT_TRUE(BringToFront(deck));
        PressKey(target.first);
        if (target.second)
            EXPECT_TRUE(WaitUntil([&] { return FindShown(nullptr, target.second); }, 10000)) << target.second;
        else
            ExpectStarts({both[0], both[1]});
        ExpectHidden(true);
        PressKey(VK_F1);
        ExpectHidden(false);
    }

    // An unbound letter does nothing.
    ASSERT_TRUE(BringToFront(deck));
    PressKey('Z');
    ASSERT_TRUE(Responds());
    EXPECT_TRUE(IsWindowVisible(deck));
    ExpectStarts({both[0], both[1]});
}

TEST_F(Journey, HotkeysLaunchFromAnywhereGuardProgramsAndCanBeFreed)
{
    WriteDataFiles("a", {In("marker.exe")});
    Start();
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(), ENABLED_NOTICE);

    // A plain edit field of the driver's own holds the focus elsewhere.
    HWND other = CreateWindowExA(0, "edit", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 300, 40, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    ExpectStarts({"start -\n"});
    ExpectHidden(true);
    EXPECT_EQ(TextOf(other), "") << "the hotkey let the letter through";

    // Every second press of a program asks first.
    PressKey('A');
    EXPECT_EQ(AnswerNotice(IDCANCEL), REPEAT_QUESTION);
    PressKey('A');
    EXPECT_EQ(AnswerNotice(IDOK), REPEAT_QUESTION);
    ExpectStarts({"start -\nstart -\n"});
    PressKey('A');
    ExpectStarts({"start -\nstart -\nstart -\n"});
    EXPECT_FALSE(Notice()) << "the press after an OK asked again";

    PressKey(VK_F3);
    EXPECT_EQ(AnswerNotice(), DISABLED_NOTICE);
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(other) == "a"; })) << "the key is still held";
    ASSERT_TRUE(Responds());
    ExpectStarts({"start -\nstart -\nstart -\n"});

    // The switch, saved on, takes effect silently at the next start.
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(), ENABLED_NOTICE);
    PressKey(VK_F1);
    ExpectHidden(false);
    ASSERT_TRUE(BringToFront(deck));
    Click(Control(SAVE_BUTTON));
    ExpectDataFiles("a", {In("marker.exe")}, 1);
    Quit();
    Start();
    EXPECT_FALSE(Notice());
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    ExpectStarts({"start -\nstart -\nstart -\nstart -\n"});
    DestroyWindow(other);
}

// The open-file dialog looks in another folder; saves and the manual still go
// to the start-up folder. The manual, written anew and opened at each press,
// leaves the window shown.
TEST_F(Journey, BrowsedFileAndManualStayInTheStartupFolder)
{
    ASSERT_TRUE(CreateDirectoryA(In("docs").c_str(), nullptr));
    std::string chosen = In("docs\\chosen.txt");
    ASSERT_TRUE(WriteBytes(chosen, "x"));
    Start();
    TypeInto(rows[2].keyField, "d");
    Click(Control(rows[2].browseButton));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindShown("#32770", "打开")) != nullptr; }, 10000)) << "no dialog";
    // A dialog still building itself overwrites the name or ignores the OK:
    // repeat both until it closes.
    bool closed = false;
    for (int attempt = 0; attempt < 10 && !closed; attempt++) {
        HWND name = GetDlgItem(dialog, 0x47C);  // the file name combo
        if (name && IsWindowVisible(name) && Send(name, WM_SETTEXT, 0, (LPARAM)chosen.c_str()) &&
            TextOf(name) == chosen)
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        closed = WaitUntil([&] { return !IsWindow(dialog); }, 1000);
    }
    ASSERT_TRUE(closed) << "the open-file dialog stays";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(Control(rows[2].pathField)) == chosen; }));
    Click(Control(SAVE_BUTTON));
    ExpectDataFiles({0, 0, 'd'}, {"", "", chosen});
    EXPECT_FALSE(Exists(In("docs\\l.z")) || Exists(In("docs\\z.l"))) << "saved where the dialog looked";

    for (int press = 1; press <= 2; press++) {
        SCOPED_TRACE("manual, press " + std::to_string(press));
        Click(Control(MANUAL_BUTTON));
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In(MANUAL_NAME)).size() == 422; }));
        std::string manual = ReadBytes(In(MANUAL_NAME));
        EXPECT_EQ(manual.rfind("此文为说明文档\r\n1", 0), 0u);
        size_t lineEnds = 0;
        for (size_t at = 0; (at = manual.find('\n', at)) != std::string::npos; at++, lineEnds++)
            EXPECT_EQ(manual[at - 1], '\r') << "a bare line feed at " << at;
        EXPECT_EQ(lineEnds, 10u);
        EXPECT_EQ(manual.substr(manual.size() - 4), "冲突") << "the last line has no line end";
        EXPECT_TRUE(WaitUntil([&] { return FindShown(nullptr, "生命手册") != nullptr; }, 10000)) << "not opened";
        EXPECT_TRUE(IsWindowVisible(deck));
        EXPECT_FALSE(Exists(In(std::string("docs\\") + MANUAL_NAME)));
    }
}
