#include "store/manual.h"

#include <string.h>

#include "common/open_targets.h"
#include "store/settings_files.h"

const char MANUAL_FILE_NAME[] = "生命手册.txt";

// Line ends are written as CR LF bytes, so the file is the same wherever it is made.
static const char MANUAL_TEXT[] =
    "此文为说明文档\r\n"
    "1在键处输入想要设置的快捷键\r\n"
    "2目录设置输入路径，\r\n"
    "3可用打开按钮弹出资源管理器直接打开\r\n"
    "4可以直接打开桌面上的快捷方式\r\n"
    "5打开对象可以是任何文件（以系统默认的程序运行）\r\n"
    "6此程序可以可以删除字符来打开程序所在的文件夹\r\n"
    "7打开后按保存会生成两个数据文件，退出前请务必保存\r\n"
    "8输入键时请不要输入大写字母\r\n"
    "9按下快捷键后程序会隐藏,按F1弹出\r\n"
    "10热键注册后可在系统下使用快捷键，不用弹出此程序获取焦点，但可能与其他程序冲突";

void WriteManual()
{
    Stream *stream = OpenStream(startupPaths.manual, "wb");
    if (stream == nullptr) {
        ShowNotice(FILE_FAILURE_NOTICE, false);
        return;
    }
    bool written = WriteStream(stream, MANUAL_TEXT, strlen(MANUAL_TEXT));
    if (!CloseStream(stream) || !written)
        ShowNotice(FILE_FAILURE_NOTICE, false);
}

// Unlike a launch, the window stays where it is.
void OpenManual(WindowRef owner)
{
    WriteManual();
    const char *manual = startupPaths.manual;
    OpenTargets(owner, &manual, 1);
}
