// The window as start-up builds it: class, placement, controls, painting,
// resources, and the end of the message loop.
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "store/slot_table.h"
#include "tests/window/window_fixture.h"
#include "ui/startup.h"
#include "version.h"

using namespace std::string_literals;

class MainWindow : public WindowTest {};

TEST_F(MainWindow, ClassTitlePlaceAndSize)
{
    Start();
    HWND window = (HWND)mainWindow;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "DECKWND");
    EXPECT_EQ(TextOf(window), "Jumpdeck");

    RECT place;
    GetWindowRect(window, &place);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(place.left, (screenWidth - 600) / 2);
    EXPECT_EQ(place.top, (screenHeight - 360) / 2);
    if (screenWidth == 1920 && screenHeight == 1080) {
        EXPECT_EQ(place.left, 660);
        EXPECT_EQ(place.top, 360);
    }
    EXPECT_EQ(place.right - place.left, 600);
    EXPECT_EQ(place.bottom - place.top, 360);

    const LONG frameBits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD | WS_POPUP;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & frameBits, 0xCA0000);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "DECKWND", &windowClass));
    EXPECT_EQ(windowClass.style, (UINT)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(windowClass.hbrBackground, (HBRUSH)(COLOR_WINDOW + 1));
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(windowClass.hIcon, nullptr);
    EXPECT_NE(windowClass.hIconSm, nullptr);
    EXPECT_EQ(windowClass.cbClsExtra, 0);
    EXPECT_EQ(windowClass.cbWndExtra, 0);
    EXPECT_EQ(GetMenu(window), nullptr);
}

// Chinese texts are written as their code-page-936 bytes, so the test does
// not depend on how the compiler encodes the program's literals.
static const char SAVE[] = "\xb1\xa3\xb4\xe6";                        // 保存
static const char BROWSE[] = "\xb4\xf2\xbf\xaa";                      // 打开
static const char MANUAL[] = "\xca\xb9\xd3\xc3\xca\xd6\xb2\xe1";      // 使用手册
static const char ENABLE[] = "\xd7\xa2\xb2\xe1\xc8\xc8\xbc\xfc" "F2";  // 注册热键F2
static const char DISABLE[] = "\xc8\xa1\xcf\xfb\xc8\xc8\xbc\xfc" "F3"; // 取消热键F3

TEST_F(MainWindow, ControlsInCreationOrderWithIdsClassesTextsAndPlaces)
{
    struct Expected {
        int id;
        const char *className;
        const char *text;
        int x, y, width, height;
    } expected[] = {
        {0, "Edit", "", 20, 20, 50, 25},       {1, "Edit", "", 20, 55, 50, 25},
        {2, "Edit", "", 20, 90, 50, 25},       {3, "Edit", "", 100, 20, 400, 25},
        {4, "Edit", "", 100, 55, 400, 25},     {5, "Edit", "", 100, 90, 400, 25},
        {6, "Button", SAVE, 440, 270, 100, 50}, {22, "Button", MANUAL, 20, 270, 100, 50},
        {23, "Button", ENABLE, 160, 270, 100, 50}, {24, "Button", DISABLE, 300, 270, 100, 50},
        {7, "Button", BROWSE, 500, 20, 80, 25}, {8, "Button", BROWSE, 500, 55, 80, 25},
        {9, "Button", BROWSE, 500, 90, 80, 25}, {13, "Edit", "", 20, 160, 50, 25},
        {14, "Edit", "", 100, 160, 400, 25},   {15, "Button", BROWSE, 500, 160, 80, 25},
        {16, "Edit", "", 20, 195, 50, 25},     {17, "Edit", "", 100, 195, 400, 25},
        {18, "Button", BROWSE, 500, 195, 80, 25}, {19, "Edit", "", 20, 230, 50, 25},
        {20, "Edit", "", 100, 230, 400, 25},   {21, "Button", BROWSE, 500, 230, 80, 25},
    };
    Start();
    HWND window = (HWND)mainWindow;
    std::vector<HWND> children;  // in sibling order, which is creation order
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), std::size(expected));

    for (size_t i = 0; i < children.size(); i++) {
        const Expected &e = expected[i];
        HWND child = children[i];
        SCOPED_TRACE("control " + std::to_string(e.id));
        EXPECT_EQ(GetDlgCtrlID(child), e.id);
        char className[64];
        GetClassNameA(child, className, sizeof className);
        EXPECT_EQ(lstrcmpiA(className, e.className), 0) << className;
        EXPECT_EQ(TextOf(child), e.text);
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, (POINT *)&place, 2);
        EXPECT_EQ(place.left, e.x);
        EXPECT_EQ(place.top, e.y);
        EXPECT_EQ(place.right - place.left, e.width);
        EXPECT_EQ(place.bottom - place.top, e.height);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP), WS_CHILD | WS_VISIBLE);
        // Fields: single line, no automatic scrolling. Buttons: plain push buttons.
        EXPECT_EQ(style & 0xFFFF, 0);
    }
    for (int unused : {10, 11, 12})
        EXPECT_EQ(GetDlgItem(window, unused), nullptr) << unused;
}

TEST_F(MainWindow, FieldsShowTheLoadedSlotsAndTheTableStaysAsLoaded)
{
    // a -> C:\x.txt, slot 1 a path wider than its field, slot 3 holds "res",
    // z -> D:\新 (Chinese folder name), hotkeys off
    std::string wide = "C:\\" + std::string(87, 'w');
    Write("l.z", "a\0\0r\0\0z 890 0 3 0 0 5 0"s);
    Write("z.l", "C:\\x.txt" + wide + "resD:\\\xd0\xc2");
    Start();
    struct Row {
        int keyField, pathField;
        std::string key, path;
    } rows[] = {
        {0, 3, "a", "C:\\x.txt"}, {1, 4, "", wide}, {2, 5, "", ""},
        {13, 14, "", ""},         {16, 17, "", ""}, {19, 20, "z", "D:\\\xd0\xc2"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(TextOf(Control(row.keyField)), row.key) << row.keyField;
        EXPECT_EQ(TextOf(Control(row.pathField)), row.path) << row.pathField;
    }
    // The fields' EN_UPDATE copied every value back; nothing was lost on the way.
    EXPECT_EQ(slotTable.slots[0].key, 'a');
    EXPECT_STREQ(slotTable.slots[6].path, "D:\\\xd0\xc2");
    EXPECT_EQ(slotTable.slots[6].key, 'z');
    EXPECT_STREQ(slotTable.slots[RESERVED_SLOT].path, "res");
    std::vector<std::string> onlyFunctionKeys = {"register 0 112", "register 8 113", "register 9 114"};
    EXPECT_EQ(fake.events, onlyFunctionKeys);
}

TEST_F(MainWindow, SavedSwitchDecidesWhetherSlotKeysAreRegisteredSilently)
{
    struct Case {
        std::string switchField;
        bool slotKeys;
    } cases[] = {{" 0", false}, {" 1", true}, {" 2", true}, {"-1", true}, {"x ", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switchField);
        Write("l.z", "ab\0\0\0\0c 0 0 0 0 0 0 0"s + c.switchField);
        Write("z.l", "");
        Start();
        std::vector<std::string> expected = {"register 0 112", "register 8 113", "register 9 114"};
        if (c.slotKeys)
            expected.insert(expected.end(), {"register 1 65", "register 2 66", "register 7 67"});
        EXPECT_EQ(fake.events, expected);
        TearDown();
        SetUp();
    }
}

// Dark pixels in a rectangle of the client area, after a full repaint.
static bool InkIn(HWND window, int left, int top, int right, int bottom)
{
    HDC dc = GetDC(window);
    COLORREF background = GetSysColor(COLOR_WINDOW);
    bool ink = false;
    for (int y = top; y < bottom && !ink; y++) {
        for (int x = left; x < right && !ink; x++)
            ink = GetPixel(dc, x, y) != background;
    }
    ReleaseDC(window, dc);
    return ink;
}

TEST_F(MainWindow, LabelsAndTheDividerArePainted)
{
    Start();
    HWND window = (HWND)mainWindow;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    // The divider is drawn in the window's own font: 110 of its 117 bytes.
    std::string divider = std::string(52, '-') + "\xce\xd2\xca\xc7\xb7\xd6\xb8\xee\xcf\xdf" + std::string(55, '-');
    HDC dc = GetDC(window);
    SIZE drawn, whole;
    GetTextExtentPoint32A(dc, divider.c_str(), 110, &drawn);
    GetTextExtentPoint32A(dc, divider.c_str(), 117, &whole);
    ReleaseDC(window, dc);
    RECT client;
    GetClientRect(window, &client);
    ASSERT_LT(drawn.cx + 8, client.right) << "the cut end would not be visible";

    struct Band {
        const char *what;
        int left, top, right, bottom;
        bool ink;
    } bands[] = {
        {"divider", 0, 130, drawn.cx, 130 + drawn.cy, true},
        {"divider beyond 110 bytes", drawn.cx + 1, 125, client.right, 155, false},
        {"key label row 1", 0, 20, 20, 45, true},    {"path label row 1", 70, 20, 100, 45, true},
        {"key label row 4", 0, 160, 20, 185, true},  {"path label row 4", 70, 160, 100, 185, true},
        {"above row 1", 0, 0, 100, 18, false},       {"between rows 1 and 2", 0, 46, 20, 54, false},
        {"between rows 3 and divider", 0, 116, 100, 129, false},
        {"between divider and row 4", 0, 147, 100, 159, false},
        {"below row 6", 0, 256, 20, 269, false},
    };
    for (const Band &band : bands)
        EXPECT_EQ(InkIn(window, band.left, band.top, band.right, band.bottom), band.ink) << band.what;
}

TEST(Resources, StringsAcceleratorsVersionIconsAndManifest)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char text[100];
    ASSERT_GT(LoadStringA(instance, IDS_WINDOW_TITLE, text, sizeof text), 0);
    EXPECT_STREQ(text, "Jumpdeck");
    ASSERT_GT(LoadStringA(instance, IDS_WINDOW_CLASS, text, sizeof text), 0);
    EXPECT_STREQ(text, "DECKWND");

    // Character accelerators with Alt, not virtual keys: '?' and '/' themselves.
    HACCEL table = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(entries[i].fVirt & ~0x80, FALT) << i;
        EXPECT_EQ(entries[i].cmd, 104) << i;
    }
    EXPECT_EQ(entries[0].key, '?');
    EXPECT_EQ(entries[1].key, '/');

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    DWORD size = GetFileVersionInfoSizeA(exe, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe, 0, size, info.data()));
    struct Value {
        const char *name, *text;
    } values[] = {
        {"ProductName", "Jumpdeck"},
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
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &fixedSize));
    EXPECT_EQ(fixed->dwProductVersionMS, (DWORD)MAKELONG(JUMPDECK_VERSION_MINOR, JUMPDECK_VERSION_MAJOR));

    EXPECT_NE(LoadImageA(instance, MAKEINTRESOURCEA(IDI_LARGE), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_NE(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON, 16, 16, 0), nullptr);

    HRSRC manifest = FindResourceA(instance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    std::string xml((const char *)LockResource(LoadResource(instance, manifest)), SizeofResource(instance, manifest));
    EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(xml.find("uiAccess=\"false\""), std::string::npos);
}

// The loop ends only through the quit message of WM_DESTROY.
TEST_F(MainWindow, EscapeAndTheCloseBoxEndTheLoopWithExitCodeZero)
{
    struct Case {
        const char *what;
        UINT message;
        WPARAM wParam;
        int exitCode;
        bool unregisters;
    } cases[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE, 0, true},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {"Enter", WM_KEYDOWN, VK_RETURN, TIMED_OUT, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Start();
        fake.events.clear();
        PostMessageA((HWND)mainWindow, c.message, c.wParam, 0);
        EXPECT_EQ(RunLoopFor(c.exitCode == TIMED_OUT ? 500 : 5000), c.exitCode);
        EXPECT_EQ(IsWindow((HWND)mainWindow) != FALSE, c.exitCode == TIMED_OUT);
        std::vector<std::string> unregistered;
        if (c.unregisters)
            unregistered = {"unregister 1", "unregister 2", "unregister 3",
                            "unregister 5", "unregister 6", "unregister 7"};
        EXPECT_EQ(fake.events, unregistered);
        TearDown();
        SetUp();
    }
}
