// Saves that cannot succeed: each is reported, leaves both data files exactly
// as they were and nothing beside them, and once the cause is gone the next
// save works.
#include "tests/e2e/driver.h"

class Fault : public DeckTest {
protected:
    HANDLE held = INVALID_HANDLE_VALUE;

    // Another program holds the file open without sharing it: it can be
    // neither replaced nor moved aside. This also stands in for a read-only
    // folder, which Wine cannot make.
    void Hold(const char *name)
    {
        held = CreateFileA(In(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << name;
    }

    // A Linux command, which Wine starts as it is, run in the program's folder;
    // done once the folder's listing shows name, or not, as wanted (FindClose
    // succeeds only for a search that found something).
    void RunLinux(std::string command, const char *name, bool listed)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup, &started));
        WIN32_FIND_DATAA entry;
        ASSERT_TRUE(WaitUntil([&] { return FindClose(FindFirstFileA(In(name).c_str(), &entry)) == listed; })) << command;
    }

    // Binds b to the second row and presses Save.
    void BindAndSave()
    {
        SetText(rows[1].key, "b");
        SetText(rows[1].path, "D:\\");
        Click(Control(SAVE));
    }

    void ExpectFilesAsBefore(const char *cause)
    {
        SCOPED_TRACE(cause);
        ExpectDataFiles("a", {In("marker.exe")});
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(In("*.*").c_str(), &entry);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
            EXPECT_FALSE(strstr(entry.cFileName, ".new") || strstr(entry.cFileName, ".old")) << entry.cFileName;
        FindClose(search);
    }
};

TEST_F(Fault, SavesThatCannotSucceedChangeNothing)
{
    WriteDataFiles("a", {In("marker.exe")});
    Start();
    std::string longest = "C:\\" + std::string(96, 'p');
    struct Case { const char *cause; std::string notice; std::function<void()> begin, end; } cases[] = {
        {"key file held", FAILED, [&] { Hold("l.z"); }, [&] { CloseHandle(held); }},
        {"path file held", FAILED, [&] { Hold("z.l"); }, [&] { CloseHandle(held); }},
        // The new path file leads to a disk without room: it opens, takes the
        // bytes into its buffer and fails them when it is flushed. (Wine cannot
        // delete such a link: the test does.)
        {"disk full", FAILED, [&] { RunLinux("/bin/ln -s /dev/full z.l.new", "z.l.new", true); },
         [&] { RunLinux("/bin/rm z.l.new", "z.l.new", false); }},
        // From the open-file dialog or a paste: typing stops at the field's width.
        {"path over 99 bytes", "第3行的路径超过99字节，未保存", [&] { SetText(rows[2].path, longest + "q"); },
         [&] { SetText(rows[2].path, longest); }},
    };
    for (const Case &c : cases) {
        c.begin();
        BindAndSave();
        EXPECT_EQ(AnswerNotice(), c.notice) << c.cause;
        c.end();
        ExpectFilesAsBefore(c.cause);
        ASSERT_TRUE(Responds());
    }
    BindAndSave();
    ExpectDataFiles("ab", {In("marker.exe"), "D:\\", longest});
    EXPECT_FALSE(Notice());
}
