#include "common/open_targets.h"

#include <string.h>

#include "common/text.h"

static const char FAILED_HEADER[] = "以下目标没有打开：";

enum { TARGETS_SHOWN = 6, LINE_SIZE = 260 + 48 };

// The reasons a user can act on; the shell's code for anything else.
static const char *ReasonFor(int code)
{
    switch (code) {
    case 2: return "找不到这个文件或文件夹";
    case 3: return "路径上的文件夹不存在";
    case 5: return "没有权限打开";
    case 0:
    case 8: return "内存不足";
    case 27:
    case 31: return "没有程序能打开这类文件";
    default: return nullptr;
    }
}

// A line a path: the path as bound, then the reason in brackets.
int OpenTargets(WindowRef owner, const char *const paths[], int count)
{
    char text[sizeof FAILED_HEADER + TARGETS_SHOWN * LINE_SIZE] = "";
    int opened = 0;
    for (int i = 0; i < count; i++) {
        int code = OpenWithShell(owner, paths[i]);
        if (code == SHELL_OPENED)
            opened++;
        if (code == SHELL_OPENED || code == SHELL_DECLINED)
            continue;
        AppendText(text, sizeof text, text[0] == 0 ? FAILED_HEADER : "");
        AppendText(text, sizeof text, "\n");
        AppendText(text, sizeof text, paths[i]);
        AppendText(text, sizeof text, "（");
        if (const char *reason = ReasonFor(code)) {
            AppendText(text, sizeof text, reason);
        } else {
            AppendText(text, sizeof text, "错误代码 ");
            AppendNumber(text, sizeof text, code);
        }
        AppendText(text, sizeof text, "）");
    }
    if (text[0] != 0)
        ShowNotice(text, false);
    return opened;
}
