// The floor a launcher is measured against: the least a program can do to be a
// visible window. Built twice: floor-window registers a class, creates and
// shows one 600x360 window and runs a message loop, nothing else;
// floor-hotkey (FLOOR_HOTKEY=1) also holds one system-wide hotkey and hands a
// fixed target, given on its command line, to the shell when the key is pressed.
#include <windows.h>
#if FLOOR_HOTKEY
#include <shellapi.h>

#include "bench/bench_keys.h"

static const char *launchTarget = "";
#endif

static const char FLOOR_CLASS[] = "JumpdeckFloor";

static LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
#if FLOOR_HOTKEY
    case WM_HOTKEY:
        ShellExecuteA(window, nullptr, launchTarget, nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
#endif
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
#if FLOOR_HOTKEY
    launchTarget = commandLine;
#else
    (void)commandLine;
#endif
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = FLOOR_CLASS;
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(0, FLOOR_CLASS, "Floor", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  (GetSystemMetrics(SM_CXSCREEN) - 600) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - 360) / 2, 600, 360, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr)
        return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
#if FLOOR_HOTKEY
    RegisterHotKey(window, 1, 0, BENCH_LAUNCH_VIRTUAL_KEY);
#endif

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
