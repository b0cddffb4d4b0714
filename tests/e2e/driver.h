// Drives the real Jumpdeck.exe from outside, the way a user and the system do:
// it starts the program in a scratch folder inside a job object, finds its
// window and controls, sends keys and clicks with SendInput, answers notice
// boxes and the open-file dialog, and reads the files the program leaves.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Control ids of the main window.
enum {
    SAVE_BUTTON = 6,
    MANUAL_BUTTON = 22,
    ENABLE_BUTTON = 23,
    DISABLE_BUTTON = 24,
};

// The key field, path field and browse button of each window row, top to bottom.
struct Row {
    int keyField;
    int pathField;
    int browseButton;
};
extern const Row rows[6];

extern const char NOTICE_CAPTION[];
extern const char SAVE_FAILED[];
extern const char REPEAT_QUESTION[];
extern const char ENABLED_NOTICE[];
extern const char DISABLED_NOTICE[];
extern const char MANUAL_NAME[];

// Polls until done() holds, false after timeoutMs; the driver's own windows
// keep working meanwhile.
bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000);

// A running Jumpdeck.exe and everything it started, in one job that kills the
// whole tree when it closes.
struct Deck {
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND window = nullptr;
};

// Starts the program in dir; its window shows later (not before a start-up
// notice is answered).
bool StartDeck(Deck *deck, const std::string &dir);
bool WaitForMainWindow(Deck *deck, DWORD timeoutMs = 10000);
DWORD WaitForExit(const Deck &deck, DWORD timeoutMs = 5000);  // STILL_ACTIVE on timeout
void StopDeck(Deck *deck);
std::vector<DWORD> JobProcesses(const Deck &deck);
// A shown top-level window of the job whose title contains part.
HWND FindJobWindow(const Deck &deck, const std::string &part);
bool Responds(HWND window, DWORD timeoutMs = 5000);

HWND Control(const Deck &deck, int id);
std::string TextOf(HWND window);  // of any process's window
bool SetText(HWND field, const std::string &text);
HWND FocusOf(HWND window);        // the focus in window's thread
bool BringToFront(HWND window);   // until it or a child has the focus

void PressKey(WORD virtualKey);
void TypeText(const std::string &text);  // characters, which fire no hotkey
void ClickClient(HWND window, int x, int y);
void Click(HWND control);

// Notice boxes of the program: "" from AnswerNotice when none comes.
HWND WaitForNotice(const Deck &deck, DWORD timeoutMs = 5000);
bool NoticeShown(const Deck &deck);
std::string NoticeText(HWND box);
std::string AnswerNotice(const Deck &deck, int button = IDOK, DWORD timeoutMs = 5000);

// Clicks the browse button and chooses path in the open-file dialog.
bool BrowseTo(const Deck &deck, int browseButton, const std::string &path);

std::string ReadBytes(const std::string &path);
bool WriteBytes(const std::string &path, const std::string &bytes);
bool Exists(const std::string &path);
std::string MakeScratchDir();
void RemoveTree(const std::string &path);

// The marker program, copied into dir: each start appends "start ARG" (its
// first argument, "-" without one) to marker.log beside it.
bool PlaceMarker(const std::string &dir);
std::vector<std::string> MarkerStarts(const std::string &dir);
bool MakeShortcut(const std::string &linkPath, const std::string &target, const std::string &arguments);

// The key file for these keys (slot order, slot 3 included), path lengths
// and hotkey switch.
std::string KeyFile(const std::string &keys, const std::vector<size_t> &lengths, int hotkeys);

#include <gtest/gtest.h>

// Each test gets a fresh folder of its own with the marker program in it, and
// ends with every process it started gone. A failed test keeps its folder.
class DeckTest : public ::testing::Test {
protected:
    std::string dir;
    Deck deck;

    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_TRUE(PlaceMarker(dir)) << dir;
    }

    void TearDown() override
    {
        StopDeck(&deck);
        if (HasFailure())
            printf("left for inspection: %s\n", dir.c_str());
        else
            RemoveTree(dir);
    }

    std::string In(const std::string &name) const { return dir + "\\" + name; }

    // Starts the program and waits for its window, in front with the focus.
    void Start()
    {
        ASSERT_TRUE(StartDeck(&deck, dir));
        ASSERT_TRUE(WaitForMainWindow(&deck)) << "no main window";
        ASSERT_TRUE(BringToFront(deck.window)) << "the window does not take the focus";
    }

    // A click on the window's background, which gives the window itself the
    // focus back, then Escape.
    void Quit()
    {
        ClickClient(deck.window, 300, 8);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck.window) == deck.window; }));
        PressKey(VK_ESCAPE);
        EXPECT_EQ(WaitForExit(deck), 0u);
        StopDeck(&deck);
    }

    // Clicks the field, types text at its end and waits until the field
    // shows result (its old text and text when result is null).
    void TypeInto(int id, const std::string &text, const char *result = nullptr)
    {
        HWND field = Control(deck, id);
        std::string expected = result ? result : TextOf(field) + text;
        Click(field);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(deck.window) == field; })) << "field " << id;
        PressKey(VK_END);
        TypeText(text);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == expected; })) << "field " << id << ": " << TextOf(field);
    }

    void ExpectFields(const std::vector<std::string> &keys, const std::vector<std::string> &paths)
    {
        for (size_t row = 0; row < 6; row++) {
            SCOPED_TRACE("row " + std::to_string(row + 1));
            EXPECT_EQ(TextOf(Control(deck, rows[row].keyField)), row < keys.size() ? keys[row] : "");
            EXPECT_EQ(TextOf(Control(deck, rows[row].pathField)), row < paths.size() ? paths[row] : "");
        }
    }
};

