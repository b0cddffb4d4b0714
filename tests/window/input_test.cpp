// User input through the real window: field edits, buttons, typed characters
// and hotkeys, each reaching the slot table, the data files or the launcher.
#include <cstring>
#include <string>
#include <vector>

#include "launch/hotkeys.h"
#include "res/resource.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/window/window_fixture.h"
#include "ui/main_window.h"

using namespace std::string_literals;
using Events = std::vector<std::string>;

class Input : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Start();
        fake.events.clear();
    }
    void Send(UINT message, WPARAM wParam) { SendMessageA((HWND)mainWindow, message, wParam, 0); }
    void Command(int id, int code) { Send(WM_COMMAND, MAKEWPARAM(id, code)); }
    void Type(HWND field, const char *text)
    {
        for (const char *c = text; *c != 0; c++)
            SendMessageA(field, WM_CHAR, (unsigned char)*c, 1);
    }
};

TEST_F(Input, EditedFieldsReachTheTableAndOnlySaveWritesThem)
{
    SetWindowTextA(Control(14), "C:\\\xd0\xc2\\b.txt");  // C:\新\b.txt
    SetWindowTextA(Control(13), "q");
    Type(Control(4), "D:\\");
    Type(Control(1), "w");
    EXPECT_STREQ(slotTable.slots[4].path, "C:\\\xd0\xc2\\b.txt");
    EXPECT_EQ(slotTable.slots[4].key, 'q');
    EXPECT_STREQ(slotTable.slots[1].path, "D:\\");
    EXPECT_EQ(slotTable.slots[1].key, 'w');
    EXPECT_EQ(Read("l.z"), "") << "nothing is saved before Save";

    Click(IDC_SAVE);
    std::string keys = "\0w\0\0q\0\0"s                    // keys of slots 0 to 6
                       " 0" " 3" " 0" " 0" "11" " 0" " 0"  // lengths of slots 0 to 6
                       " 0";                               // hotkeys off
    EXPECT_EQ(Read("l.z"), keys);
    EXPECT_EQ(Read("z.l"), "D:\\C:\\\xd0\xc2\\b.txt");
    EXPECT_EQ(GetFocus(), (HWND)mainWindow) << "Save takes the focus back for typed letters";
    EXPECT_EQ(fake.events, Events{});
}

TEST_F(Input, KeyFieldKeepsOneByte)
{
    struct Case {
        const char *what;
        const char *typed;  // typed into the field, or set when null
        const char *set;
        std::string field;
        char key;
    } cases[] = {
        {"typed a then b", "ab", nullptr, "a", 'a'},
        {"set ab", nullptr, "ab", "a", 'a'},
        {"set capital", nullptr, "Q", "Q", 'Q'},
        {"cleared", nullptr, "", "", 0},
        // Half a Chinese character cannot be shown; the field is emptied instead.
        {"set Chinese character", nullptr, "\xd6\xd0", "", 0},
        {"set Chinese then letter", nullptr, "\xd6\xd0x", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetWindowTextA(Control(2), "");
        SetWindowTextA(Control(1), "m");
        SetWindowTextA(Control(13), "n");
        SetWindowTextA(Control(2), "z");
        if (c.typed != nullptr) {
            SetWindowTextA(Control(2), "");
            Type(Control(2), c.typed);
        } else {
            SetWindowTextA(Control(2), c.set);
        }
        EXPECT_EQ(TextOf(Control(2)), c.field);
        EXPECT_EQ(slotTable.slots[2].key, c.key);
        EXPECT_EQ(slotTable.slots[1].key, 'm');
        EXPECT_EQ(slotTable.slots[4].key, 'n');
    }
}

// Slots 0, 4 and the reserved slot 3 share the key a; slot 5 has b.
static void BindSlots()
{
    const struct {
        int slot;
        char key;
        const char *path;
    } bindings[] = {
        {0, 'a', "C:\\zero.txt"}, {1, 'c', "C:\\one"},    {2, 'd', "C:\\two"}, {3, 'a', "C:\\reserved"},
        {4, 'a', "C:\\four"},      {5, 'b', "C:\\five"}, {6, 'e', "C:\\six"},
    };
    for (const auto &binding : bindings) {
        slotTable.slots[binding.slot].key = binding.key;
        SetSlotPath(binding.slot, binding.path);
    }
}

TEST_F(Input, TypedCharacterLaunchesEveryMatchingVisibleSlot)
{
    struct Case {
        unsigned int character;
        Events events;
    } cases[] = {
        {'a', {"shell C:\\zero.txt", "hide", "shell C:\\four", "hide"}},
        {'b', {"shell C:\\five", "hide"}},
        {'z', {}},
        {'A', {}},
    };
    BindSlots();
    for (const Case &c : cases) {
        fake.events.clear();
        Send(WM_CHAR, c.character);
        EXPECT_EQ(fake.events, c.events) << (char)c.character;
    }
}

TEST_F(Input, HotkeysReachTheirSlotOrSwitch)
{
    struct Case {
        WPARAM id;
        Events events;
        int hotkeysRegistered;
    } cases[] = {
        {1, {"shell C:\\zero.txt", "hide"}, 0},
        {2, {"shell C:\\one", "hide"}, 0},
        {3, {"shell C:\\two", "hide"}, 0},
        {4, {}, 0},  // the reserved slot is never launched
        {5, {"shell C:\\four", "hide"}, 0},
        {6, {"shell C:\\five", "hide"}, 0},
        {7, {"shell C:\\six", "hide"}, 0},
        {10, {}, 0},
        {0xFFFF, {}, 0},
        {0, {"show"}, 0},
        {8, {}, 1},
        {9, {}, 0},
    };
    BindSlots();
    for (const Case &c : cases) {
        fake.events.clear();
        Send(WM_HOTKEY, c.id);
        if (c.id == HOTKEY_ENABLE || c.id == HOTKEY_DISABLE)
            EXPECT_FALSE(fake.events.empty()) << "F2 and F3 tell the user";
        else
            EXPECT_EQ(fake.events, c.events) << c.id;
        EXPECT_EQ(slotTable.hotkeysRegistered, c.hotkeysRegistered) << c.id;
    }
}

static bool SameTable(const SlotTable &a, const SlotTable &b)
{
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        const Slot &x = a.slots[slot], &y = b.slots[slot];
        if (x.key != y.key || strcmp(x.path, y.path) != 0 || x.length != y.length || x.repeatPending != y.repeatPending)
            return false;
    }
    return a.hotkeysRegistered == b.hotkeysRegistered;
}

TEST_F(Input, OnlyKnownCommandsAct)
{
    SetWindowTextA(Control(3), "field");
    SetSlotPath(0, "table");  // out of step with the field on purpose
    const SlotTable before = slotTable;
    struct Case {
        int id, code;
    } cases[] = {
        {10, BN_CLICKED}, {11, EN_UPDATE}, {12, BN_CLICKED}, {25, BN_CLICKED}, {104, 1},
        {0xFFFF, BN_CLICKED}, {3, EN_CHANGE}, {3, BN_CLICKED}, {0, EN_CHANGE},
    };
    for (const Case &c : cases) {
        Command(c.id, c.code);
        EXPECT_TRUE(SameTable(slotTable, before)) << c.id << " " << c.code;
    }
    EXPECT_EQ(fake.events, Events{});
    EXPECT_EQ(Read("l.z"), "");
    EXPECT_TRUE(IsWindowVisible((HWND)mainWindow));

    Command(3, EN_UPDATE);
    EXPECT_STREQ(slotTable.slots[0].path, "field");
}

TEST_F(Input, ManualAndHotkeyButtons)
{
    SetWindowTextA(Control(0), "a");
    SetWindowTextA(Control(16), "5");
    Click(IDC_MANUAL);
    EXPECT_EQ(fake.events, Events{"shell " + std::string(startupPaths.manual)});
    EXPECT_GT(Read("\xc9\xfa\xc3\xfc\xca\xd6\xb2\xe1.txt").size(), 100u);  // 生命手册.txt

    fake.events.clear();
    Click(IDC_ENABLE_HOTKEYS);
    EXPECT_EQ(slotTable.hotkeysRegistered, 1);
    using Hotkeys = std::vector<std::pair<int, int>>;
    const Hotkeys functionKeys = {{0, VK_F1}, {8, VK_F2}, {9, VK_F3}};
    Hotkeys withSlots = functionKeys;
    withSlots.insert(withSlots.end(), {{1, 'A'}, {6, '5'}});
    EXPECT_EQ(fake.hotkeys, withSlots);

    Click(IDC_DISABLE_HOTKEYS);
    EXPECT_EQ(slotTable.hotkeysRegistered, 0);
    EXPECT_EQ(fake.hotkeys, functionKeys);
}

// The open dialog runs its own loop inside the click; a timer inside that
// loop answers it.
static std::string proposedName;
static std::string chosenFile;

static HWND OpenDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            char className[16];
            GetClassNameA(window, className, sizeof className);
            if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window))
                return TRUE;
            *(HWND *)result = window;
            return FALSE;
        },
        (LPARAM)&found);
    return found;
}

static void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = OpenDialog();
    if (dialog == nullptr)
        return;
    KillTimer(nullptr, timer);
    const int fileNameBox = 0x47C;  // cmb13
    char text[MAX_PATH] = "";
    GetDlgItemTextA(dialog, fileNameBox, text, sizeof text);
    proposedName = text;
    if (chosenFile.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetDlgItemTextA(dialog, fileNameBox, chosenFile.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
}

static void Browse(HWND button, const std::string &choice)
{
    chosenFile = choice;
    proposedName = "(no dialog)";
    UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerDialog);
    SendMessageA(button, BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
}

TEST_F(Input, BrowseFillsTheRow)
{
    std::filesystem::create_directory(directory / "sub");
    std::string chosen = PathOf("sub") + "\\pick.txt";
    WriteBytes(chosen, "x");
    SetWindowTextA(Control(14), "kept");

    Browse(Control(8), chosen);
    EXPECT_EQ(TextOf(Control(4)), chosen);
    EXPECT_STREQ(slotTable.slots[1].path, chosen.c_str());
    EXPECT_STREQ(browseFile, chosen.c_str());

    Browse(Control(15), "");  // cancelled in another row
    EXPECT_NE(proposedName.find("pick.txt"), std::string::npos) << proposedName;
    EXPECT_EQ(TextOf(Control(14)), "kept");
    EXPECT_STREQ(slotTable.slots[4].path, "kept");

    // The dialog may have moved the current directory; Save still writes beside
    // the program's start-up files.
    Click(IDC_SAVE);
    EXPECT_EQ(Read("z.l"), chosen + "kept");
    EXPECT_FALSE(FileExists(PathOf("sub") + "\\z.l"));
    EXPECT_EQ(fake.events, Events{});
}
