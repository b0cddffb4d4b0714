// The Win32 side of the platform layer, against the real system under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/platform.h"
#include "tests/file_bytes.h"

static HWND CreatePlainWindow()
{
    return CreateWindowExA(0, "STATIC", "hotkey test", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// Keys beyond F12 are free on any desktop worth testing on; take the first
// one nobody holds rather than trusting a fixed one.
static int RegisterFreeKey(WindowRef window, int id)
{
    for (int code = VK_F13; code <= VK_F24; code++) {
        if (RegisterKey(window, id, code))
            return code;
    }
    return 0;
}

TEST(PlatformWin32, HotkeysConflictAndArrive)
{
    HWND first = CreatePlainWindow();
    HWND second = CreatePlainWindow();
    ASSERT_NE(first, nullptr);
    int code = RegisterFreeKey(first, 1);
    ASSERT_NE(code, 0);

    EXPECT_FALSE(RegisterKey(second, 2, code)) << "a second holder of the same key";
    EXPECT_FALSE(RegisterKey(first, 3, code)) << "the same window under another id";

    // The key pressed anywhere arrives as WM_HOTKEY with the id.
    INPUT presses[2] = {};
    presses[0].type = presses[1].type = INPUT_KEYBOARD;
    presses[0].ki.wVk = presses[1].ki.wVk = (WORD)code;
    presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, presses, sizeof(INPUT)), 2u);
    MSG message;
    bool arrived = false;
    for (DWORD start = GetTickCount(); !arrived && GetTickCount() - start < 5000;) {
        if (PeekMessageA(&message, first, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
            arrived = message.wParam == 1;
        else
            Sleep(10);
    }
    EXPECT_TRUE(arrived);

    UnregisterKey(first, 1);
    EXPECT_TRUE(RegisterKey(second, 2, code)) << "free again after unregistering";
    UnregisterKey(second, 2);
    DestroyWindow(first);
    DestroyWindow(second);
}

static void WriteAll(const char *path, const char *text)
{
    Stream *stream = OpenStream(path, "wb");
    ASSERT_NE(stream, nullptr) << path;
    EXPECT_TRUE(WriteStream(stream, text, strlen(text)));
    EXPECT_TRUE(CloseStream(stream));
}

// Moving a finished file into place replaces the old one in one step, also
// under a Chinese name, and fails without harm while another program holds it.
TEST(PlatformWin32, ReplaceWithFile)
{
    char directory[MAX_PATH];
    ASSERT_GT(ReadCurrentDirectory(directory, sizeof directory), 0u);
    std::string target = std::string(directory) + "\\替换测试.txt";
    std::string fresh = target + ".new";
    WriteAll(target.c_str(), "old");
    WriteAll(fresh.c_str(), "new");

    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReplaceWithFile(fresh.c_str(), target.c_str()));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(target.c_str()), "old");

    EXPECT_TRUE(ReplaceWithFile(fresh.c_str(), target.c_str()));
    EXPECT_EQ(ReadBytes(target.c_str()), "new");
    EXPECT_EQ(ReadBytes(fresh.c_str()), "");
    DeleteIfPresent(target.c_str());
    EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PlatformWin32, CurrentDirectoryThatDoesNotFitIsRefused)
{
    char small[4] = "xyz";
    EXPECT_EQ(ReadCurrentDirectory(small, sizeof small), 0u);
    EXPECT_EQ(small[0], 0);
}
