// Saves that cannot succeed: each one is reported, leaves both data files
// exactly as they were, and the program saves normally once the cause is gone.
#include "tests/e2e/driver.h"

class Fault : public DeckTest {
protected:
    void SetUp() override
    {
        DeckTest::SetUp();
        WriteDataFiles("a", {In("marker.exe")});
    }

    void ExpectFilesAsBefore()
    {
        ExpectDataFiles("a", {In("marker.exe")});
        std::vector<std::string> leftovers;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(In("*.*").c_str(), &entry);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
            if (strstr(entry.cFileName, ".new") || strstr(entry.cFileName, ".old"))
                leftovers.push_back(entry.cFileName);
        FindClose(search);
        EXPECT_EQ(leftovers, std::vector<std::string>()) << "a save left files behind";
    }

    // Binds b to row 2 and presses Save.
    void BindAndSave()
    {
        SetText(rows[1].keyField, "b");
        SetText(rows[1].pathField, "D:\\");
        Click(Control(SAVE_BUTTON));
    }

    // The next save writes what the window shows, without a word.
    void ExpectSaveWorks(const std::string &thirdPath = "")
    {
        BindAndSave();
        ExpectDataFiles("ab", {In("marker.exe"), "D:\\", thirdPath});
        ASSERT_TRUE(Responds());
        EXPECT_FALSE(Notice());
    }
};

// Another program holding a data file open without sharing: the file can be
// neither replaced nor moved aside. This is also what stands in for a
// read-only folder, which Wine cannot make: it keeps no read-only mark on
// folders, enforces no access lists, and as root neither a folder's nor a
// file's missing write permission stops a replace.
TEST_F(Fault, SaveOverAFileHeldByAnotherProgram)
{
    Start();
    for (const char *name : {"l.z", "z.l"}) {
        HANDLE held = CreateFileA(In(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << name;
        BindAndSave();
        EXPECT_EQ(AnswerNotice(), SAVE_FAILED) << name;
        CloseHandle(held);
        ExpectFilesAsBefore();
    }
    ExpectSaveWorks();
}

// A folder where a data file belongs: the start-up reports it, and so does
// every save until it is gone.
TEST_F(Fault, SaveOverADataFileThatIsAFolder)
{
    for (const char *name : {"l.z", "z.l"}) {
        SCOPED_TRACE(name);
        std::string file = In(name), saved = ReadBytes(file);
        ASSERT_TRUE(DeleteFileA(file.c_str()) && CreateDirectoryA(file.c_str(), nullptr));
        Start(SAVE_FAILED);
        BindAndSave();
        EXPECT_EQ(AnswerNotice(), SAVE_FAILED);
        EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        ASSERT_TRUE(RemoveDirectoryA(file.c_str()) && WriteBytes(file, saved));
        ExpectFilesAsBefore();
        ASSERT_TRUE(Responds());
        Stop();
    }
    Start();
    ExpectSaveWorks();
}

// A path field holding more than the two-digit length field can describe.
// Such a path comes from the open-file dialog or a paste; typing stops at the
// field's width.
TEST_F(Fault, SaveOfAPathOver99Bytes)
{
    Start();
    std::string longest = "C:\\" + std::string(96, 'p');
    SetText(rows[2].pathField, longest + "q");
    BindAndSave();
    EXPECT_EQ(AnswerNotice(), "第3行的路径超过99字节，未保存");
    ExpectFilesAsBefore();

    SetText(rows[2].pathField, longest);
    ExpectSaveWorks(longest);
}
