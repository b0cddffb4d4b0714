#include "ui/startup.h"

#include "common/platform.h"
#include "launch/hotkeys.h"
#include "res/resource.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "ui/code_page_notice.h"
#include "ui/layout.h"
#include "ui/main_window.h"
#include "ui/single_instance.h"

WindowStrings windowStrings;

void LoadWindowStrings(HINSTANCE instance)
{
    LoadStringA(instance, IDS_WINDOW_TITLE, windowStrings.title, sizeof windowStrings.title);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowStrings.className, sizeof windowStrings.className);
}

void RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LARGE));
    windowClass.hIconSm = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = windowStrings.className;
    RegisterClassExA(&windowClass);
}

bool CreateMainWindow(HINSTANCE instance, int showCommand)
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - MAIN_WINDOW_WIDTH) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - MAIN_WINDOW_HEIGHT) / 2;
    HWND window = CreateWindowExA(0, windowStrings.className, windowStrings.title, MAIN_WINDOW_STYLE, x, y,
                                  MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
    mainWindow = window;
    if (window == nullptr)
        return false;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    RegisterSystemHotkeys();
    return true;
}

// The first start in a folder, with the window in sight, tells a user whose
// Windows has another code page why its texts are garbled.
bool StartUp(HINSTANCE instance, int showCommand)
{
    CaptureStartupPaths();
    if (!ClaimStartupFolder(instance))
        return false;
    bool firstStart = LoadSettings();
    LoadWindowStrings(instance);
    RegisterMainWindowClass(instance);
    if (!CreateMainWindow(instance, showCommand))
        return false;
    if (slotTable.hotkeysRegistered != 0) {
        char refused[VISIBLE_SLOT_COUNT];  // keys held elsewhere; at start-up nobody is told
        RegisterSlotHotkeys(refused);
    }
    if (firstStart)
        ExplainOtherCodePage();
    return true;
}

// Accelerators come first, with the message's own window, which may be a
// field: Alt+? and Alt+/ are consumed wherever the focus is.
int RunMessageLoop(HACCEL accelerators)
{
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return (int)message.wParam;
}

// Before anything else: a DLL that the program, the shell or the file dialog
// asks for by name comes from the system folder, never from the folder the
// program was unzipped into, where other downloads land too.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!StartUp(instance, showCommand))
        return 0;
    return RunMessageLoop(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS)));
}

// The controls are built and filled from the slot table before the window is
// first shown. Each text set here raises the field's EN_UPDATE, which copies
// the same value back into the slot.
static LRESULT OnCreate(HWND window, const CREATESTRUCTA *creationData)
{
    CreateControls(window, creationData);
    TakeKeysPastInputMethod(window);
    for (const SlotRow &row : slotRows)
        SetWindowTextA(controlTable.controls[row.pathField], slotTable.slots[row.slot].path);
    for (const SlotRow &row : slotRows) {
        char key[2] = {slotTable.slots[row.slot].key, 0};
        SetWindowTextA(controlTable.controls[row.keyField], key);
    }
    return 0;
}

// Escape reaches the window only while the window itself has the focus; in a
// field it belongs to the field. Destroying the window ends the program.
static LRESULT OnKeyDown(HWND window, WPARAM key)
{
    if (key == VK_ESCAPE) {
        DestroyWindow(window);
        UnregisterSlotHotkeys();
    }
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window, (const CREATESTRUCTA *)lParam);
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP: return 0;
    case WM_PAINT: PaintLabels(window); return 0;
    case WM_KEYDOWN: return OnKeyDown(window, wParam);
    case WM_COMMAND: return OnCommand(window, wParam);
    case WM_CHAR: return OnChar(window, wParam);
    case WM_LBUTTONDOWN: return OnLeftButtonDown(window);
    case WM_HOTKEY: return OnHotkey(window, wParam);
    case WM_COPYDATA: return OnCopyData(window, (const COPYDATASTRUCT *)lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
