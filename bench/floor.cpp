// The floors a launcher is measured against: the least a program can do to be
// such a window. Built three times:
//   floor-window   registers a class, creates and shows one window of
//                  Jumpdeck's size and style and runs a message loop;
//   floor-hotkey   (FLOOR_HOTKEY) also holds one system-wide hotkey and hands
//                  a fixed target, given on its command line, to the shell
//                  when the key is pressed;
//   floor-deck     (FLOOR_HOTKEY and FLOOR_DECK) also creates Jumpdeck's 22
//                  controls with their texts and paints its labels, with
//                  Jumpdeck's own layout code; no data files, no logic.
#include <windows.h>
#if FLOOR_HOTKEY
#include <shellapi.h>

#include "bench/bench_keys.h"
#endif
#if FLOOR_DECK
#include "common/platform.h"
#include "ui/layout.h"
#endif
#include "ui/startup.h"

#if FLOOR_DECK
// The layout takes its rows from the slot table, whose key rule asks the
// platform layer about the code page: that one call, and nothing more of the
// platform layer, which would bring its imports along.
bool IsLeadByte(char first) { return IsDBCSLeadByte((BYTE)first) != 0; }
#endif

static const char FLOOR_CLASS[] = "JumpdeckFloor";
static const char *launchTarget = "";

static LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
#if FLOOR_DECK
    case WM_CREATE: return CreateControls(window, (const CREATESTRUCTA *)lParam);
    case WM_PAINT: PaintLabels(window); return 0;
#endif
#if FLOOR_HOTKEY
    case WM_HOTKEY: ShellExecuteA(window, nullptr, launchTarget, nullptr, nullptr, SW_SHOWNORMAL); return 0;
#endif
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    launchTarget = commandLine;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = FLOOR_CLASS;
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(0, FLOOR_CLASS, "Floor", MAIN_WINDOW_STYLE,
                                  (GetSystemMetrics(SM_CXSCREEN) - MAIN_WINDOW_WIDTH) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - MAIN_WINDOW_HEIGHT) / 2, MAIN_WINDOW_WIDTH,
                                  MAIN_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
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
