#include "ui/code_page_notice.h"

#include <windows.h>

enum { CHINESE_CODE_PAGE = 936 };

// Wide texts, drawn by the system in Unicode whatever its code page.
static const wchar_t CODE_PAGE_CAPTION[] = L"提示 / Notice";
static const wchar_t CODE_PAGE_TEXT[] =
    L"Jumpdeck 的文字是简体中文（代码页 936），在这台电脑上会显示成乱码。\n"
    L"请把“非 Unicode 程序的语言”设为“中文(简体，中国)”：控制面板 → 时钟和区域 → 区域 → "
    L"管理 → 更改系统区域设置，不要勾选“Beta 版: 使用 Unicode UTF-8 提供全球语言支持”，"
    L"然后重新启动电脑。\n\n"
    L"Jumpdeck's texts are Simplified Chinese (code page 936) and show as garbage on this computer.\n"
    L"Set the language for non-Unicode programs to \"Chinese (Simplified, China)\": Control Panel → "
    L"Clock and Region → Region → Administrative → Change system locale; leave \"Beta: Use Unicode "
    L"UTF-8 for worldwide language support\" unchecked; then restart the computer.";

void ExplainOtherCodePage()
{
    if (GetACP() != CHINESE_CODE_PAGE)
        MessageBoxW(nullptr, CODE_PAGE_TEXT, CODE_PAGE_CAPTION, MB_OK);
}
