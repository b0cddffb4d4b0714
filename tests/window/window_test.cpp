// The real main window, started as WinMain starts it, on the recording
// platform: what the end-to-end driver cannot see from outside the process
// (class, styles, pixels, resources, registrations) or cannot easily send
// (unknown ids, half Chinese characters, Alt+/ straight into a field).
#include <windows.h>

#include <string>
#include <vector>

#include "launch/hotkeys.h"
#include "res/resource.h"
#include "store/slot_table.h"
#include "tests/store_fixture.h"
#include "ui/startup.h"
#include "version.h"

using namespace std::string_literals;
using Events = std::vector<std::string>;

class Window : public StoreTest {
protected:
    HWND window = nullptr;

    // Data files written before this call are loaded.
    void Start()
    {
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), SW_SHOWNORMAL));
        window = (HWND)mainWindow;
        ASSERT_TRUE(IsWindow(window));
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        UnregisterSlotHotkeys();  // the launcher remembers what it registered
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        StoreTest::TearDown();
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }

    static std::string TextOf(HWND w) { char text[1024]; return std::string(text, GetWindowTextA(w, text, 1024)); }
    static std::string ClassOf(HWND w) { char name[64]; return std::string(name, GetClassNameA(w, name, 64)); }
    // "x,y widthxheight" of a window's outer rectangle, in parent's client
    // coordinates (the screen's for none).
    static std::string PlaceOf(HWND control, HWND parent)
    {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, parent, (POINT *)&r, 2);
        return Place(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    static std::string Place(int x, int y, int width, int height)
    {
        return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
    }
};

TEST_F(Window, ClassPlaceStyleAndControls)
{
    Start();
    EXPECT_EQ(ClassOf(window) + " " + TextOf(window), "DECKWND Jumpdeck");
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // 660,360 on the test display of 1920x1080
    EXPECT_EQ(PlaceOf(window, nullptr), Place((screenWidth - 600) / 2, (screenHeight - 360) / 2, 600, 360));

    // Caption, system menu and minimize box; no maximize box, no sizing frame.
    const LONG frameBits =
        WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD | WS_POPUP;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & frameBits, 0xCA0000);
    EXPECT_EQ(GetMenu(window), nullptr);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "DECKWND", &windowClass));
    EXPECT_EQ(windowClass.style, (UINT)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(windowClass.hbrBackground, (HBRUSH)(COLOR_WINDOW + 1));
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(windowClass.hIcon != nullptr && windowClass.hIconSm != nullptr);

    // Chinese texts as their code-page-936 bytes, whatever the compiler does
    // with the program's literals.
    struct Expected { int id; const char *className, *text; int x, y, width, height; };
    std::vector<Expected> expected = {
        {IDC_SAVE, "Button", "\xb1\xa3\xb4\xe6", 440, 270, 100, 50},                        // 保存
        {IDC_MANUAL, "Button", "\xca\xb9\xd3\xc3\xca\xd6\xb2\xe1", 20, 270, 100, 50},       // 使用手册
        {IDC_ENABLE_HOTKEYS, "Button", "\xd7\xa2\xb2\xe1\xc8\xc8\xbc\xfc" "F2", 160, 270, 100, 50},  // 注册热键F2
        {IDC_DISABLE_HOTKEYS, "Button", "\xc8\xa1\xcf\xfb\xc8\xc8\xbc\xfc" "F3", 300, 270, 100, 50}, // 取消热键F3
    };
    const int rows[6][4] = {  // key field, path field, browse button, y
        {0, 3, 7, 20}, {1, 4, 8, 55}, {2, 5, 9, 90}, {13, 14, 15, 160}, {16, 17, 18, 195}, {19, 20, 21, 230}};
    for (const auto &row : rows) {
        expected.push_back({row[0], "Edit", "", 20, row[3], 50, 25});
        expected.push_back({row[1], "Edit", "", 100, row[3], 400, 25});
        expected.push_back({row[2], "Button", "\xb4\xf2\xbf\xaa", 500, row[3], 80, 25});  // 打开
    }
    std::vector<int> siblingOrder;  // the creation order
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        siblingOrder.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(siblingOrder, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 22, 23, 24, 7, 8, 9, 13, 14, 15, 16, 17, 18,
                                              19, 20, 21}));

    for (const Expected &e : expected) {
        SCOPED_TRACE("control " + std::to_string(e.id));
        HWND control = Control(e.id);
        EXPECT_EQ(ClassOf(control) + " " + TextOf(control), e.className + " "s + e.text);
        EXPECT_EQ(PlaceOf(control, window), Place(e.x, e.y, e.width, e.height));
        // Visible, outside the Tab walk; single-line fields that do not scroll
        // sideways (typing stops at the edge), plain push buttons.
        LONG style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP), WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(style & 0xFFFF, 0);
    }
}

TEST_F(Window, LoadedSlotsFillTheFieldsAndRegisterOnlyTheFunctionKeys)
{
    // Slot 1 holds a path wider than its field, slot 3 (reserved) "res" under
    // the key r, slot 6 a Chinese folder name D:\新; hotkeys off.
    std::string wide = "C:\\" + std::string(87, 'w');
    Write("l.z", "a\0\0r\0\0z 890 0 3 0 0 5 0"s);
    Write("z.l", "C:\\x.txt" + wide + "resD:\\\xd0\xc2");
    Start();
    EXPECT_EQ(TextOf(Control(0)) + "|" + TextOf(Control(3)), "a|C:\\x.txt");
    EXPECT_EQ(TextOf(Control(4)), wide);
    EXPECT_EQ(TextOf(Control(19)) + "|" + TextOf(Control(20)), "z|D:\\\xd0\xc2");
    // The fields' EN_UPDATE copied every value back; the hidden slot is untouched.
    EXPECT_EQ(slotTable.slots[1].path, wide);
    EXPECT_EQ(slotTable.slots[6].key, 'z');
    EXPECT_STREQ(slotTable.slots[6].path, "D:\\\xd0\xc2");
    EXPECT_EQ(slotTable.slots[RESERVED_SLOT].key, 'r');
    EXPECT_STREQ(slotTable.slots[RESERVED_SLOT].path, "res");
    EXPECT_EQ(fake.events, (Events{"register 0 112", "register 8 113", "register 9 114"}));
}

// A key field holds one byte; its slot alone follows it.
TEST_F(Window, KeyFieldIsCutToOneByteAndRefusesHalfACharacter)
{
    struct Case { const char *set, *field; char key; } cases[] = {
        {"ab", "a", 'a'}, {"Q", "Q", 'Q'}, {"", "", 0},
        // Half a Chinese character would show as '?'; the field is emptied.
        {"\xd6\xd0", "", 0}, {"\xd6\xd0x", "", 0},
    };
    Start();
    SetWindowTextA(Control(1), "m");
    SetWindowTextA(Control(13), "n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.set);
        SetWindowTextA(Control(2), "z");
        SetWindowTextA(Control(2), c.set);
        EXPECT_EQ(TextOf(Control(2)), c.field);
        EXPECT_EQ(slotTable.slots[2].key, c.key);
        EXPECT_EQ(std::string({slotTable.slots[1].key, slotTable.slots[4].key}), "mn") << "the neighbours";
    }
}

TEST_F(Window, OnlyKnownCommandsAndHotkeysAct)
{
    Start();
    SetWindowTextA(Control(14), "C:\\four");
    SetWindowTextA(Control(13), "a");
    slotTable.slots[RESERVED_SLOT].key = 'a';
    SetSlotPath(RESERVED_SLOT, "C:\\reserved");
    // Every other slot is out of step with its empty field, so a stray copy shows.
    for (int slot : {0, 1, 2, 5, 6})
        SetSlotPath(slot, "table");
    fake.events.clear();
    const Events unregisterAll = {"unregister 1", "unregister 2", "unregister 3", "unregister 5", "unregister 6",
                                  "unregister 7"};
    struct Case { UINT message; int id, code; Events events; int switchAfter; } cases[] = {
        {WM_HOTKEY, 4, 0, {}, 0} /* the reserved slot's id */, {WM_HOTKEY, 10, 0, {}, 0}, {WM_HOTKEY, 0xFFFF, 0, {}, 0},
        {WM_HOTKEY, 5, 0, {"shell C:\\four", "hide"}, 0}, {WM_HOTKEY, HOTKEY_SHOW_WINDOW, 0, {"show"}, 0},
        {WM_COMMAND, 10, BN_CLICKED, {}, 0}, {WM_COMMAND, 11, EN_UPDATE, {}, 0}, {WM_COMMAND, 12, BN_CLICKED, {}, 0},
        {WM_COMMAND, 25, BN_CLICKED, {}, 0}, {WM_COMMAND, 0xFFFF, BN_CLICKED, {}, 0},
        {WM_COMMAND, IDM_SWALLOWED_KEY, 1, {}, 0}, {WM_COMMAND, 3, EN_CHANGE, {}, 0},
        {WM_COMMAND, 3, BN_CLICKED, {}, 0}, {WM_COMMAND, 0, EN_CHANGE, {}, 0},
        {WM_COMMAND, IDC_ENABLE_HOTKEYS, BN_CLICKED, {"register 5 65"}, 1},
        {WM_COMMAND, IDC_DISABLE_HOTKEYS, BN_CLICKED, unregisterAll, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + " " + std::to_string(c.id) + " " + std::to_string(c.code));
        fake.events.clear();
        SendMessageA(window, c.message, c.message == WM_COMMAND ? MAKEWPARAM(c.id, c.code) : c.id, 0);
        Events events;  // without the notices, whose texts are the hotkey tests' business
        for (const std::string &event : fake.events)
            if (event.rfind("notice ", 0) != 0)
                events.push_back(event);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(slotTable.hotkeysRegistered, c.switchAfter);
        for (int slot : {0, 1, 2, 5, 6})
            EXPECT_STREQ(slotTable.slots[slot].path, "table") << slot;
        EXPECT_STREQ(slotTable.slots[RESERVED_SLOT].path, "C:\\reserved");
    }
    EXPECT_EQ(Read("l.z"), "");

    // Save takes the focus back from a field, so typed letters launch again.
    SetFocus(Control(1));
    SendMessageA(Control(IDC_SAVE), BM_CLICK, 0, 0);
    EXPECT_EQ(GetFocus(), window);

    // Escape frees every slot hotkey id, whatever the switch says.
    fake.events.clear();
    SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(fake.events, unregisterAll);
}

// Records which Alt+characters reach the key field it replaces the procedure of.
static WNDPROC fieldProcedure;
static std::string altCharacters;

static LRESULT CALLBACK RecordAltCharacters(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SYSCHAR)
        return CallWindowProcA(fieldProcedure, field, message, wParam, lParam);
    altCharacters += (char)wParam;
    return 0;
}

// The program's loop consumes Alt+? and Alt+/ wherever the focus is, and
// nothing else.
TEST_F(Window, AcceleratorsSwallowAltQuestionMarkAndAltSlash)
{
    Start();
    HWND field = Control(0);
    fieldProcedure = (WNDPROC)SetWindowLongPtrA(field, GWLP_WNDPROC, (LONG_PTR)RecordAltCharacters);
    altCharacters.clear();
    HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    // Alt is seen in the message and in the thread's key state; without Alt
    // a '/' is typed.
    BYTE keys[256];
    GetKeyboardState(keys);
    for (bool alt : {true, false}) {
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
        for (char c : std::string(alt ? "/?x." : "/"))
            PostMessageA(field, alt ? WM_SYSCHAR : WM_CHAR, c, alt ? 0x20000001 : 1);
        PostQuitMessage(7);  // comes after every posted message
        EXPECT_EQ(RunMessageLoop(accelerators), 7);
    }
    EXPECT_EQ(altCharacters, "x.");
    EXPECT_EQ(TextOf(field), "/");
    EXPECT_EQ(slotTable.slots[0].key, '/');
}

// Dark pixels in a rectangle of the client area.
static bool InkIn(HWND window, int left, int top, int right, int bottom)
{
    HDC dc = GetDC(window);
    COLORREF background = GetSysColor(COLOR_WINDOW);
    bool ink = false;
    for (int y = top; y < bottom && !ink; y++)
        for (int x = left; x < right && !ink; x++)
            ink = GetPixel(dc, x, y) != background;
    ReleaseDC(window, dc);
    return ink;
}

TEST_F(Window, LabelsAndTheDividerCutAt110BytesArePainted)
{
    Start();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // 52 hyphens, 我是分割线, 55 hyphens: 117 bytes, of which 110 are drawn.
    std::string divider = std::string(52, '-') + "\xce\xd2\xca\xc7\xb7\xd6\xb8\xee\xcf\xdf" + std::string(55, '-');
    HDC dc = GetDC(window);
    SIZE drawn;
    GetTextExtentPoint32A(dc, divider.c_str(), 110, &drawn);
    ReleaseDC(window, dc);
    RECT client;
    GetClientRect(window, &client);
    ASSERT_LT(drawn.cx + 8, client.right) << "the cut end would not be visible";

    struct Band { const char *what; int left, top, right, bottom; bool ink; } bands[] = {
        {"divider", 0, 130, drawn.cx, 130 + drawn.cy, true},
        {"divider beyond 110 bytes", drawn.cx + 1, 125, client.right, 155, false},
        {"key label row 1", 0, 20, 20, 45, true}, {"path label row 1", 70, 20, 100, 45, true},
        {"key label row 6", 0, 230, 20, 255, true}, {"path label row 6", 70, 230, 100, 255, true},
        {"above row 1", 0, 0, 100, 18, false}, {"between rows 3 and divider", 0, 116, 100, 129, false},
        {"between divider and row 4", 0, 147, 100, 159, false},
    };
    for (const Band &band : bands)
        EXPECT_EQ(InkIn(window, band.left, band.top, band.right, band.bottom), band.ink) << band.what;
}

TEST(Resources, ChineseVersionTextsAndManifest)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::vector<char> info(GetFileVersionInfoSizeA(exe, nullptr));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(exe, 0, (DWORD)info.size(), info.data()));
    struct Value { const char *name, *text; } values[] = {
        {"ProductVersion", JUMPDECK_VERSION_TEXT},
        {"FileDescription", "\xbc\xfc\xc5\xcc\xbf\xec\xbd\xdd\xc6\xf4\xb6\xaf\xc6\xf7"},  // 键盘快捷启动器
    };
    for (const Value &value : values) {
        char *found = nullptr;
        UINT length = 0;
        std::string query = "\\StringFileInfo\\080404b0\\"s + value.name;
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), (void **)&found, &length)) << value.name;
        EXPECT_STREQ(found, value.text) << value.name;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC manifest = FindResourceA(instance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    std::string xml((const char *)LockResource(LoadResource(instance, manifest)), SizeofResource(instance, manifest));
    EXPECT_NE(xml.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos) << xml;
}
