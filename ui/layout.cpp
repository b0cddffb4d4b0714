#include "ui/layout.h"

#include "store/slot_table.h"

ControlTable controlTable;

static const char EDIT_CLASS[] = "edit";
static const char BUTTON_CLASS[] = "button";

// Plain single-line fields: no automatic horizontal scrolling, so typing stops
// at the field's visible width. Buttons are ordinary push buttons.
static const DWORD FIELD_STYLE = WS_CHILD | WS_VISIBLE | WS_BORDER;
static const DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE;

static const char SAVE_TEXT[] = "保存";
static const char BROWSE_TEXT[] = "打开";
static const char MANUAL_TEXT[] = "使用手册";
static const char ENABLE_TEXT[] = "注册热键F2";
static const char DISABLE_TEXT[] = "取消热键F3";

enum {
    KEY_X = 20, KEY_WIDTH = 50,
    PATH_X = 100, PATH_WIDTH = 400,
    BROWSE_X = 500, BROWSE_WIDTH = 80,
    ROW_HEIGHT = 25,
    BOTTOM_Y = 270, BOTTOM_WIDTH = 100, BOTTOM_HEIGHT = 50,
};

struct ControlPlan {
    int id;
    const char *className;
    DWORD style;
    const char *text;
    int x, y, width, height;
};

// In creation order, which is also the order of the controls among their
// siblings (and so the order Tab would walk, had the window a dialog loop).
static const ControlPlan CONTROL_PLANS[] = {
    {0, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 20, KEY_WIDTH, ROW_HEIGHT},
    {1, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 55, KEY_WIDTH, ROW_HEIGHT},
    {2, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 90, KEY_WIDTH, ROW_HEIGHT},
    {3, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 20, PATH_WIDTH, ROW_HEIGHT},
    {4, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 55, PATH_WIDTH, ROW_HEIGHT},
    {5, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 90, PATH_WIDTH, ROW_HEIGHT},
    {IDC_SAVE, BUTTON_CLASS, BUTTON_STYLE, SAVE_TEXT, 440, BOTTOM_Y, BOTTOM_WIDTH, BOTTOM_HEIGHT},
    {IDC_MANUAL, BUTTON_CLASS, BUTTON_STYLE, MANUAL_TEXT, 20, BOTTOM_Y, BOTTOM_WIDTH, BOTTOM_HEIGHT},
    {IDC_ENABLE_HOTKEYS, BUTTON_CLASS, BUTTON_STYLE, ENABLE_TEXT, 160, BOTTOM_Y, BOTTOM_WIDTH, BOTTOM_HEIGHT},
    {IDC_DISABLE_HOTKEYS, BUTTON_CLASS, BUTTON_STYLE, DISABLE_TEXT, 300, BOTTOM_Y, BOTTOM_WIDTH, BOTTOM_HEIGHT},
    {7, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 20, BROWSE_WIDTH, ROW_HEIGHT},
    {8, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 55, BROWSE_WIDTH, ROW_HEIGHT},
    {9, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 90, BROWSE_WIDTH, ROW_HEIGHT},
    {13, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 160, KEY_WIDTH, ROW_HEIGHT},
    {14, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 160, PATH_WIDTH, ROW_HEIGHT},
    {15, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 160, BROWSE_WIDTH, ROW_HEIGHT},
    {16, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 195, KEY_WIDTH, ROW_HEIGHT},
    {17, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 195, PATH_WIDTH, ROW_HEIGHT},
    {18, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 195, BROWSE_WIDTH, ROW_HEIGHT},
    {19, EDIT_CLASS, FIELD_STYLE, "", KEY_X, 230, KEY_WIDTH, ROW_HEIGHT},
    {20, EDIT_CLASS, FIELD_STYLE, "", PATH_X, 230, PATH_WIDTH, ROW_HEIGHT},
    {21, BUTTON_CLASS, BUTTON_STYLE, BROWSE_TEXT, BROWSE_X, 230, BROWSE_WIDTH, ROW_HEIGHT},
};

int CreateControls(HWND window, const CREATESTRUCTA *creationData)
{
    for (const ControlPlan &plan : CONTROL_PLANS) {
        controlTable.controls[plan.id] = CreateWindowExA(
            0, plan.className, plan.text, plan.style, plan.x, plan.y, plan.width, plan.height, window,
            (HMENU)(INT_PTR)plan.id, creationData->hInstance, nullptr);
    }
    return 0;
}

static const char KEY_LABEL[] = "键：";
static const char PATH_LABEL[] = "目录";
enum { KEY_LABEL_X = 0, PATH_LABEL_X = 70 };

// 52 hyphens, the phrase and 55 hyphens; only the first 110 bytes are drawn,
// which ends the line at 48 hyphens on the right.
static const char DIVIDER[] =
    "----------------------------------------------------"
    "我是分割线"
    "-------------------------------------------------------";
static_assert(sizeof DIVIDER - 1 == 117, "the divider is 117 bytes in code page 936");
enum { DIVIDER_X = 0, DIVIDER_Y = 130, DIVIDER_DRAWN = 110, ROWS_ABOVE_DIVIDER = 3 };

static void DrawLabel(HDC dc, int x, int y, const char *text)
{
    TextOutA(dc, x, y, text, lstrlenA(text));
}

void PaintLabels(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (const SlotRow &row : slotRows) {
        DrawLabel(dc, KEY_LABEL_X, row.top, KEY_LABEL);
        DrawLabel(dc, PATH_LABEL_X, row.top, PATH_LABEL);
        if (row.row == ROWS_ABOVE_DIVIDER)
            TextOutA(dc, DIVIDER_X, DIVIDER_Y, DIVIDER, DIVIDER_DRAWN);
    }
    EndPaint(window, &paint);
}
