#include "tests/window/window_fixture.h"

#include "launch/hotkeys.h"
#include "res/resource.h"
#include "ui/startup.h"

void WindowTest::Start()
{
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), SW_SHOWNORMAL));
    ASSERT_TRUE(IsWindow((HWND)mainWindow));
}

void WindowTest::TearDown()
{
    if (mainWindow != nullptr && IsWindow((HWND)mainWindow))
        DestroyWindow((HWND)mainWindow);
    UnregisterSlotHotkeys();  // the launcher remembers what it registered
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    StoreTest::TearDown();
}

HWND WindowTest::Control(int id) const { return GetDlgItem((HWND)mainWindow, id); }

std::string WindowTest::TextOf(HWND window)
{
    char text[1024];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length);
}

void WindowTest::Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

bool PumpUntil(bool (*done)(), DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return done();
}

static DWORD loopStart, loopTimeout;
static bool (*loopStop)();

static void CALLBACK CheckLoop(HWND, UINT, UINT_PTR, DWORD)
{
    if ((loopStop != nullptr && loopStop()) || GetTickCount() - loopStart >= loopTimeout)
        PostQuitMessage(TIMED_OUT);
}

int RunLoopFor(DWORD timeoutMs, bool (*stop)())
{
    loopStart = GetTickCount();
    loopTimeout = timeoutMs;
    loopStop = stop;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, CheckLoop);
    int code = RunMessageLoop(LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS)));
    KillTimer(nullptr, timer);
    return code;
}
