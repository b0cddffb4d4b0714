// What a person does with Jumpdeck, from the first start to the last Escape,
// seen only through the real program, its window and the files it leaves.
#include "tests/e2e/driver.h"

#include <algorithm>

class Journey : public DeckTest {
protected:
    // Saved bindings: the data files, written byte by byte before the start.
    void Prepare(const std::string &keys, const std::vector<std::string> &paths, int hotkeys = 0)
    {
        std::string pathFile;
        std::vector<size_t> lengths;
        for (const std::string &path : paths) {
            pathFile += path;
            lengths.push_back(path.size());
        }
        ASSERT_TRUE(WriteBytes(In("l.z"), KeyFile(keys, lengths, hotkeys)));
        ASSERT_TRUE(WriteBytes(In("z.l"), pathFile));
    }

    void ExpectStarts(const std::vector<std::string> &expected)
    {
        WaitUntil([&] { return MarkerStarts(dir).size() >= expected.size(); });
        std::vector<std::string> starts = MarkerStarts(dir);
        std::sort(starts.begin(), starts.end());
        EXPECT_EQ(starts, expected);
    }

    void ExpectHidden(bool hidden)
    {
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(deck.window) == hidden; }))
            << (hidden ? "still shown" : "still hidden");
    }
};

TEST_F(Journey, FirstStartBindTwoKeysSaveAndStartAgain)
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
    Click(Control(deck, SAVE_BUTTON));
    std::string keyFile = KeyFile("ab", {first.size(), second.size()}, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == keyFile; }));
    EXPECT_EQ(ReadBytes(In("z.l")), first + second);
    EXPECT_FALSE(NoticeShown(deck));
    Quit();

    Start();
    ExpectFields({"a", "b"}, {first, second});
    EXPECT_EQ(ReadBytes(In("l.z")), keyFile) << "loading changed the key file";
    EXPECT_EQ(ReadBytes(In("z.l")), first + second);
    Quit();
}

TEST_F(Journey, TypedKeysLaunchEveryKindOfTargetAndHideTheWindow)
{
    ASSERT_TRUE(MakeShortcut(In("desk.lnk"), In("marker.exe"), "via-shortcut"));
    ASSERT_TRUE(WriteBytes(In("note.txt"), "hello\r\n"));
    ASSERT_TRUE(CreateDirectoryA(In("folder").c_str(), nullptr));
    Prepare({'a', 'a', 't', 0, 'f'}, {In("marker.exe"), In("desk.lnk"), In("note.txt"), "", In("folder")});
    Start();
    EXPECT_EQ(FocusOf(deck.window), deck.window) << "the window itself has the focus after start-up";

    // Two slots with the same key: both open.
    PressKey('A');
    ExpectStarts({"start -", "start via-shortcut"});
    ExpectHidden(true);
    PressKey(VK_F1);
    ExpectHidden(false);

    ASSERT_TRUE(BringToFront(deck.window));
    PressKey('T');
    EXPECT_TRUE(WaitUntil([&] { return FindJobWindow(deck, "note.txt") != nullptr; }, 10000)) << "no editor";
    ExpectHidden(true);
    PressKey(VK_F1);
    ExpectHidden(false);

    ASSERT_TRUE(BringToFront(deck.window));
    PressKey('F');
    EXPECT_TRUE(WaitUntil([&] { return FindJobWindow(deck, "folder") != nullptr; }, 10000)) << "no folder window";
    ExpectHidden(true);
    PressKey(VK_F1);
    ExpectHidden(false);

    // An unbound letter does nothing.
    ASSERT_TRUE(BringToFront(deck.window));
    PressKey('Z');
    ASSERT_TRUE(Responds(deck.window));
    EXPECT_TRUE(IsWindowVisible(deck.window));
    EXPECT_EQ(MarkerStarts(dir).size(), 2u);
}

// A plain edit field of the driver's own, to hold the focus elsewhere.
static HWND OtherWindow()
{
    return CreateWindowExA(0, "edit", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 300, 40, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr);
}

TEST_F(Journey, HotkeysLaunchFromAnywhereGuardProgramsAndCanBeFreed)
{
    Prepare("a", {In("marker.exe")});
    Start();
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(deck), ENABLED_NOTICE);

    HWND other = OtherWindow();
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    ExpectStarts({"start -"});
    ExpectHidden(true);
    EXPECT_EQ(TextOf(other), "") << "the hotkey let the letter through";

    // Every second press of a program asks first.
    PressKey('A');
    EXPECT_EQ(AnswerNotice(deck, IDCANCEL), REPEAT_QUESTION);
    PressKey('A');
    EXPECT_EQ(AnswerNotice(deck, IDOK), REPEAT_QUESTION);
    ExpectStarts({"start -", "start -"});
    PressKey('A');
    ExpectStarts({"start -", "start -", "start -"});
    EXPECT_FALSE(NoticeShown(deck)) << "the press after an OK asked again";

    PressKey(VK_F3);
    EXPECT_EQ(AnswerNotice(deck), DISABLED_NOTICE);
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(other) == "a"; })) << "the key is still held";
    ASSERT_TRUE(Responds(deck.window));
    EXPECT_EQ(MarkerStarts(dir).size(), 3u);

    // The switch, saved on, takes effect silently at the next start.
    PressKey(VK_F2);
    EXPECT_EQ(AnswerNotice(deck), ENABLED_NOTICE);
    PressKey(VK_F1);
    ExpectHidden(false);
    ASSERT_TRUE(BringToFront(deck.window));
    Click(Control(deck, SAVE_BUTTON));
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == KeyFile("a", {In("marker.exe").size()}, 1); }));
    Quit();
    Start();
    EXPECT_FALSE(NoticeShown(deck));
    ASSERT_TRUE(BringToFront(other));
    PressKey('A');
    ExpectStarts({"start -", "start -", "start -", "start -"});
    DestroyWindow(other);
}

TEST_F(Journey, BrowsedFileIsSavedInTheStartupFolder)
{
    ASSERT_TRUE(CreateDirectoryA(In("docs").c_str(), nullptr));
    std::string chosen = In("docs\\chosen.txt");
    ASSERT_TRUE(WriteBytes(chosen, "x"));
    Start();
    TypeInto(rows[2].keyField, "d");
    ASSERT_TRUE(BrowseTo(deck, rows[2].browseButton, chosen)) << "the open-file dialog";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(Control(deck, rows[2].pathField)) == chosen; }));

    Click(Control(deck, SAVE_BUTTON));
    std::string keyFile = KeyFile({0, 0, 'd'}, {0, 0, chosen.size()}, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == keyFile; }));
    EXPECT_EQ(ReadBytes(In("z.l")), chosen);
    EXPECT_FALSE(Exists(In("docs\\l.z")) || Exists(In("docs\\z.l"))) << "saved where the dialog looked";

    Click(Control(deck, MANUAL_BUTTON));
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In(MANUAL_NAME)).size() == 422; }));
    EXPECT_FALSE(Exists(In(std::string("docs\\") + MANUAL_NAME)));
    EXPECT_TRUE(WaitUntil([&] { return FindJobWindow(deck, "生命手册") != nullptr; }, 10000)) << "not opened";
}

TEST_F(Journey, ManualIsWrittenAndOpenedAndTheWindowStays)
{
    Start();
    EXPECT_EQ(ReadBytes(In(MANUAL_NAME)), "");
    for (int press = 1; press <= 2; press++) {
        Click(Control(deck, MANUAL_BUTTON));
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In(MANUAL_NAME)).size() == 422; })) << "press " << press;
        std::string manual = ReadBytes(In(MANUAL_NAME));
        EXPECT_EQ(manual.rfind("此文为说明文档\r\n1", 0), 0u);
        size_t lineEnds = 0;
        for (size_t at = 0; (at = manual.find('\n', at)) != std::string::npos; at++) {
            EXPECT_EQ(manual[at - 1], '\r') << "a bare line feed at " << at;
            lineEnds++;
        }
        EXPECT_EQ(lineEnds, 10u);
        EXPECT_EQ(manual.substr(manual.size() - 4), "冲突") << "the last line has no line end";
        EXPECT_TRUE(WaitUntil([&] { return FindJobWindow(deck, "生命手册") != nullptr; }, 10000)) << "not opened";
        EXPECT_TRUE(IsWindowVisible(deck.window));
    }
}

TEST_F(Journey, EscapeEndsTheProgramAndDropsUnsavedEdits)
{
    Prepare("a", {In("note.txt")});
    std::string keyFile = ReadBytes(In("l.z"));
    Start();
    TypeInto(rows[0].keyField, "\bq", "q");
    TypeInto(rows[0].pathField, "-edited");
    ExpectFields({"q"}, {In("note.txt-edited")});

    // Escape in a field belongs to the field.
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(Responds(deck.window));
    EXPECT_EQ(WaitForExit(deck, 300), (DWORD)STILL_ACTIVE);

    Quit();
    EXPECT_EQ(ReadBytes(In("l.z")), keyFile);
    EXPECT_EQ(ReadBytes(In("z.l")), In("note.txt"));
    Start();
    ExpectFields({"a"}, {In("note.txt")});
}
