// Real keyboard and mouse input, which goes wherever the focus is. These tests
// need the window in front, so they run alone and after the others.
#include <string>
#include <vector>

#include "store/slot_table.h"
#include "tests/window/window_fixture.h"

using namespace std::string_literals;
using Events = std::vector<std::string>;

class Focus : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Write("l.z", "a\0\0\0\0\0\0 8 0 0 0 0 0 0 0"s);
        Write("z.l", "C:\\a.txt");
        Start();
        fake.events.clear();
        ASSERT_TRUE(BringToFront());
    }

    // Without a window manager the first request can leave the desktop in
    // front; ask until the window is really there.
    static bool BringToFront()
    {
        HWND window = (HWND)mainWindow;
        for (int attempt = 0; attempt < 100 && GetForegroundWindow() != window; attempt++) {
            SetForegroundWindow(window);
            PumpUntil([] { return false; }, 20);
        }
        return GetForegroundWindow() == window;
    }

    static void Press(WORD key)
    {
        INPUT presses[2] = {};
        presses[0].type = presses[1].type = INPUT_KEYBOARD;
        presses[0].ki.wVk = presses[1].ki.wVk = key;
        presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(SendInput(2, presses, sizeof(INPUT)), 2u);
    }

    static void ClickAt(int x, int y)
    {
        POINT point = {x, y};
        ClientToScreen((HWND)mainWindow, &point);
        SetCursorPos(point.x, point.y);
        INPUT presses[2] = {};
        presses[0].type = presses[1].type = INPUT_MOUSE;
        presses[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        presses[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(SendInput(2, presses, sizeof(INPUT)), 2u);
    }
};

static bool SomethingHappened() { return !fake.events.empty(); }

TEST_F(Focus, LetterTypedRightAfterStartUpLaunches)
{
    EXPECT_EQ(GetFocus(), (HWND)mainWindow);
    Press('A');
    RunLoopFor(5000, SomethingHappened);
    EXPECT_EQ(fake.events, (Events{"shell C:\\a.txt", "hide"}));
}

TEST_F(Focus, KeysBelongToAFieldUntilABackgroundClick)
{
    HWND keyField = Control(1);
    SetFocus(keyField);
    Press('B');
    Press('C');
    Press(VK_ESCAPE);
    EXPECT_EQ(RunLoopFor(1000), TIMED_OUT) << "Escape in a field ends nothing";
    EXPECT_EQ(TextOf(keyField), "b");
    EXPECT_EQ(slotTable.slots[1].key, 'b');
    EXPECT_EQ(fake.events, Events{}) << "letters in a field launch nothing";

    ClickAt(590, 10);  // background: right of the first row's browse button
    RunLoopFor(1000, [] { return GetFocus() == (HWND)mainWindow; });
    EXPECT_EQ(GetFocus(), (HWND)mainWindow);
    Press(VK_ESCAPE);
    EXPECT_EQ(RunLoopFor(5000), 0);
    EXPECT_FALSE(IsWindow((HWND)mainWindow));
}
