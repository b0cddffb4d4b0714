// What a person does with Jumpdeck, from the first start to the last Escape,
// seen only through the real program, its window and the files it leaves.
#include "tests/e2e/driver.h"

using Journey = DeckTest;

const std::string FAILED = "what the fuke", ENABLED = "以注册热键，如有冲突请取消热键", DISABLED = "以取消热键",
                  REPEAT = "打开此的是应用程序？";

// The data files as the program finds them at the start, and as Save writes
// back what it loaded: the reserved slot's path is kept, its key dropped.
// Loading stops at an empty file, never reads past a buffer, and finishes a
// save that stopped part-way, or undoes it.
// (A save writes "z.l.new" and "l.z.new", moves the old path file aside to
// "z.l.old", then moves the new files in, path file first.)
TEST_F(Journey, DataFilesAsLoadedAndSavedAgain)
{
    using namespace std::string_literals;
    const std::string none = "<none>", keys = "ab\0\0\0\0\0 8 3 0 0 0 0 0 1"s, paths = "C:\\x.txtD:\\", w99(99, 'w'),
        newKeys = "n\0\0\0\0\0\0 8 0 0 0 0 0 0 0"s, newPaths = "E:\\n.exe", zeros = "\0\0\0\0\0\0\0"s,
        empty = zeros + " 0 0 0 0 0 0 0 0";
    struct Case { const char *name; std::string files[5], saved[2]; } cases[] = {
        {"empty key file", {"", "C:\\x", none, none, none}, {empty, ""}},
        {"empty path file", {keys, "", none, none, none}, {"ab\0\0\0\0\0 0 0 0 0 0 0 0 1"s, ""}},
        {"no key file, so no lengths", {none, "C:\\x", none, none, none}, {empty, ""}},
        {"every row", {"1qZr%xy 3 011 3 299 1 0"s, "a%dC:\\程序.exeres%s" + w99 + "x", none, none, none},
         {"1qZ\0%xy 3 011 3 299 1 0"s, "a%dC:\\程序.exeres%s" + w99 + "x"}},
        {"short key file", {"abcdefg 5", "12345678", none, none, none}, {"abc\0efg 5 0 0 0 0 0 0 0"s, "12345"}},
        {"fields read as numbers", {zeros + " 22 +2-5x 1x 3-1", "aabbccdeee", none, none, none},
         {zeros + " 2 2 2 0 0 1 3-1", "aabbccdeee"}},
        {"short path file", {zeros + " 5 5 0 0 0 0 0 0", "abc", none, none, none}, {zeros + " 3 0 0 0 0 0 0 0", "abc"}},
        {"zero byte in a path", {zeros + " 5 2 0 0 0 0 0 0", "ab\0cdXY"s, none, none, none}, {zeros + " 2 2 0 0 0 0 0 0", "abXY"}},
        {"stopped before the moves", {keys, paths, newKeys, newPaths, none}, {keys, paths}},
        {"old paths moved aside", {keys, none, newKeys, newPaths, paths}, {keys, paths}},
        {"between the moves", {keys, newPaths, newKeys, none, paths}, {newKeys, newPaths}},
        {"new keys that do not fit", {keys, "E:\\n.ex", newKeys, none, paths}, {keys, paths}},
        {"old paths left", {newKeys, newPaths, none, none, paths}, {newKeys, newPaths}},
    };
    const char *names[] = {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 5; i++) {
            DeleteFileA(In(names[i]).c_str());
            if (c.files[i] != none)
                std::ofstream(In(names[i]), std::ios::binary) << c.files[i];
        }
        Run({"start", "click save", "click key1", "focus key1"});  // the click after Save has come through
        EXPECT_EQ(ReadBytes(In("l.z")) + "|" + ReadBytes(In("z.l")), c.saved[0] + "|" + c.saved[1]);
        Run({"no leftovers", "no notice", "quit"});
    }
}

// A key field keeps one character. Save gives the focus back to the window,
// where a typed key launches every slot that has it, without the question
// that guards hotkeys, and hides the window; F1 shows it. A program starts, a
// text file opens in the editor, a folder in a folder window; an unbound
// letter does nothing. Escape in a field belongs to the field; after a click
// on the background it ends the program, and unsaved edits are gone. Started
// again from its folder while it runs, it shows its window instead of opening
// another; from another folder, a second one runs beside it.
TEST_F(Journey, FirstStartBindSaveLaunchQuitAndStartAgain)
{
    std::ofstream(In("note.txt")) << "hello";
    ASSERT_TRUE(CreateDirectoryA(In("folder").c_str(), nullptr));
    Run({"start", "empty l.z", "empty z.l", "empty 生命手册.txt", "type key1 a", "type path1 {dir}\\marker.exe",
         "paste key2 bc", "shows key2 b", "type path2 {dir}\\note.txt", "paste key3 中", "type key3 x",
         "paste path3 D:\\游戏", "shows path3 D:\\游戏", "type key4 a", "type path4 {dir}\\folder", "type key5 5",
         "type path5 D:/games", "type key6 6", "type path6 E:\\", "click save",
         "files abx.a56|{dir}\\marker.exe|{dir}\\note.txt|D:\\游戏||{dir}\\folder|D:/games|E:\\|0", "no notice",
         "key A", "starts 1", "window folder", "hidden", "key F1", "shown", "key B", "window note.txt", "hidden",
         "key F1", "shown", "key A", "starts 2", "window folder", "hidden", "key F1", "shown", "key Z", "running",
         "shown", "starts 2", "set path2 {dir}\\note.txt-edited", "click path2", "focus path2", "key Esc", "running", "quit",
         "files abx.a56|{dir}\\marker.exe|{dir}\\note.txt|D:\\游戏||{dir}\\folder|D:/games|E:\\|0", "start", "shows key1 a",
         "shows path1 {dir}\\marker.exe", "shows key2 b", "shows path2 {dir}\\note.txt", "key A", "starts 3",
         "window folder", "hidden", "beside 别处", "empty 别处\\l.z", "again", "shown", "running"});
}

// The switch saved on takes effect, silently, at the start. A bound letter
// pressed in another program launches and does not reach it; every second
// press of a program asks first. F3 frees the keys; F2's notice names those
// that did not register: here b, which another program holds.
TEST_F(Journey, HotkeysLaunchFromAnywhereGuardProgramsAndCanBeFreed)
{
    ASSERT_TRUE(RegisterHotKey(other, 1, 0, 'B'));
    Run({"data ab7|{dir}\\marker.exe|1", "start", "no notice", "other", "key A", "starts 1", "hidden", "key A",
         "cancel " + REPEAT, "key A", "notice " + REPEAT, "starts 2", "shows other ", "key F3", "notice " + DISABLED, "other",
         "key A", "shows other a", "click save", "files ab7|{dir}\\marker.exe|0", "key F2",
         "notice " + ENABLED + "\n以下按键注册失败：b", "click save", "files ab7|{dir}\\marker.exe|1", "other", "key A",
         "starts 3"});
}

// A file chosen in the open-file dialog fills the row it was opened for, in
// every row; each dialog starts empty, and a cancelled one changes nothing. The
// manual, written anew and opened at each press, leaves the window shown. A
// DLL the program asks for by its bare name comes from the system, never from
// beside the program. The window and the key fields take keys past a Chinese
// input method, having no input context; the path fields keep theirs.
TEST_F(Journey, BrowseManualAndDllsFromTheSystem)
{
    std::string chosen = In("chosen.txt");
    std::ofstream(chosen) << "x";
    Run({"start"});
    for (const char *rows = "1234565"; *rows; rows++) {  // each row's button; the last dialog is cancelled
        Run({"press browse" + std::string(1, *rows)});
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (dialog = FindShown("打开")) != nullptr; }, 10000)) << "no dialog";
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 0x47C)), "");  // the file name combo
        // A dialog still building itself overwrites the name or ignores the OK:
        // both are repeated until it closes.
        for (int attempt = 0; attempt < 10 && IsWindow(dialog); attempt++, WaitUntil([&] { return !IsWindow(dialog); }, 1000)) {
            HWND name = GetDlgItem(dialog, 0x47C);
            if (SendMessageTimeoutA(name, WM_SETTEXT, 0, (LPARAM)chosen.c_str(), 0, 5000, nullptr) && TextOf(name) == chosen)
                PostMessageA(dialog, WM_COMMAND, rows[1] ? IDOK : IDCANCEL, 0);
        }
        Run({"shows path" + std::string(1, *rows) + " " + chosen});
    }
    Run({"click save", "files |" + chosen + "|" + chosen + "|" + chosen + "||" + chosen + "|" + chosen + "|" + chosen + "|0"});
    for (int press = 1; press <= 2; press++) {
        std::string manual;
        Run({"click manual", "window 生命手册", "shown"});
        EXPECT_TRUE(WaitUntil([&] { return (manual = ReadBytes(In("生命手册.txt"))).size() == 422; })) << press;
        EXPECT_EQ(manual.substr(0, 17), "此文为说明文档\r\n1");
    }

    // The program loads "dwmapi.dll", which it has not loaded yet, by a thread of
    // its own: it gets the system's, and the planted one stays unloaded.
    void *name = VirtualAllocEx(process, nullptr, 16, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(WriteProcessMemory(process, name, "dwmapi.dll", 11, nullptr));
    EXPECT_TRUE(CallInProgram("kernel32", "LoadLibraryA", name));
    Run({"context window none", "context key1 none", "context key5 none", "context path1 some", "context path6 some"});
}

// Saves that cannot succeed: each is reported, leaves both data files exactly
// as they were and nothing beside them, and once the cause is gone the next
// save works. Another program holds a data file open without sharing it: it
// can be neither replaced nor moved aside (this stands in for a read-only
// folder too, which Wine cannot make). The disk is full to the last byte: the
// new files open and take the bytes into their buffers, and flushing them
// fails. A path from the open-file dialog or a paste is too long: typing stops
// at the field's width. Files held for half a second, as virus scanners and
// sync clients do on Windows, are waited out, at a save and at the start. The
// program's folder is on the test run's RAM disk of 64 MiB, C:\e2e-disk, whose
// mounting needs root; the folders that repeated runs of the test leave there
// take a quarter of a MiB each.
struct SmallDisk : DeckTest { void SetUp() override { root = "C:\\e2e-disk", DeckTest::SetUp(); } };

TEST_F(SmallDisk, SavesThatCannotSucceedChangeNothing)
{
    ULARGE_INTEGER size = {};
    ASSERT_TRUE(GetDiskFreeSpaceExA(dir.c_str(), nullptr, &size, nullptr) && size.QuadPart <= 64 << 20) << "no RAM disk";
    HANDLE filler = nullptr;
    auto fill = [&] {
        filler = CreateFileA(In("filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        for (DWORD written = 1; written > 0 && WriteFile(filler, std::string(4096, 'f').c_str(), 4096, &written, nullptr);) {}
    };
    std::string longest = "C:\\" + std::string(96, 'p');
    struct Case { const char *cause; std::string notice; std::function<void()> begin, end; } cases[] = {
        {"key file held", FAILED, [&] { Run({"hold l.z"}); }, [&] { Run({"release"}); }},
        {"path file held", FAILED, [&] { Run({"hold z.l"}); }, [&] { Run({"release"}); }},
        {"disk full", FAILED, fill, [&] { CloseHandle(filler), DeleteFileA(In("filler").c_str()); }},
        {"path over 99 bytes", "第3行的路径超过99字节，未保存", [&] { Run({"set path3 " + longest + "q"}); },
         [&] { Run({"set path3 " + longest}); }},
    };
    Run({"data a|{dir}\\marker.exe|0", "start"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cause);
        c.begin();
        Run({"set key2 b", "set path2 D:\\", "click save", "notice " + c.notice});
        c.end();
        Run({"files a|{dir}\\marker.exe|0", "no leftovers"});
    }
    Run({"hold l.z,z.l 500", "click save", "files ab|{dir}\\marker.exe|D:\\|" + longest + "|0", "no notice",
         "no leftovers", "quit", "hold l.z 500", "start", "no notice", "shows key2 b", "shows path3 " + longest});
}

// On a Windows whose language for non-Unicode programs is not Chinese, every
// text comes out garbled: the first start in a folder says what to set, in
// words that read right there, and the next start says nothing. ctest runs
// this test alone with another locale, which gives code page 1252.
using OtherCodePage = DeckTest;

TEST_F(OtherCodePage, FirstStartSaysWhatToSet)
{
    ASSERT_NE(GetACP(), 936u) << "not run with another locale";
    Run({"start"});
    HWND box = nullptr;
    wchar_t text[1024] = L"";
    ASSERT_TRUE(WaitUntil([&] { return (box = FindShown("Notice")) != nullptr; })) << "no notice";
    SendMessageTimeoutW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 1024, (LPARAM)text, 0, 5000, nullptr);
    EXPECT_TRUE(wcsstr(text, L"“中文(简体，中国)”") && wcsstr(text, L"\"Chinese (Simplified, China)\"")) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    Run({"quit", "start"});
    EXPECT_FALSE(FindShown("Notice"));
}
