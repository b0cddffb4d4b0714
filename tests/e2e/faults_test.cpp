// Saves that cannot succeed: each one is reported, leaves both data files
// exactly as they were, and the program saves normally once the cause is gone.
#include "tests/e2e/driver.h"

class Fault : public DeckTest {
protected:
    std::string keyFile, pathFile;

    void SetUp() override
    {
        DeckTest::SetUp();
        pathFile = In("marker.exe");
        keyFile = KeyFile("a", {pathFile.size()}, 0);
        ASSERT_TRUE(WriteBytes(In("l.z"), keyFile));
        ASSERT_TRUE(WriteBytes(In("z.l"), pathFile));
    }

    void ExpectFilesAsBefore()
    {
        EXPECT_EQ(ReadBytes(In("l.z")), keyFile);
        EXPECT_EQ(ReadBytes(In("z.l")), pathFile);
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(In("*.*").c_str(), &entry);
        std::vector<std::string> leftovers;
        do {
            std::string name = entry.cFileName;
            if (name.find(".new") != std::string::npos || name.find(".old") != std::string::npos)
                leftovers.push_back(name);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        EXPECT_EQ(leftovers, std::vector<std::string>()) << "a save left files behind";
    }

    // Binds b to row 2, presses Save and answers the notice that must come.
    std::string FailToSave()
    {
        SetText(Control(deck, rows[1].keyField), "b");
        SetText(Control(deck, rows[1].pathField), "D:\\");
        Click(Control(deck, SAVE_BUTTON));
        return AnswerNotice(deck);
    }

    // The next save writes what the window shows, without a word.
    void ExpectSaveWorks(const std::vector<size_t> &lengths, const std::string &paths)
    {
        Click(Control(deck, SAVE_BUTTON));
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(In("l.z")) == KeyFile("ab", lengths, 0); }));
        EXPECT_EQ(ReadBytes(In("z.l")), paths);
        ASSERT_TRUE(Responds(deck.window));
        EXPECT_FALSE(NoticeShown(deck));
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
        EXPECT_EQ(FailToSave(), SAVE_FAILED) << name;
        CloseHandle(held);
        ExpectFilesAsBefore();
    }
    ExpectSaveWorks({pathFile.size(), 3}, pathFile + "D:\\");
}

// A folder where a data file belongs: the start-up reports it, and so does
// every save until it is gone.
TEST_F(Fault, SaveOverADataFileThatIsAFolder)
{
    for (const char *name : {"l.z", "z.l"}) {
        SCOPED_TRACE(name);
        std::string file = In(name), saved = ReadBytes(file);
        ASSERT_TRUE(DeleteFileA(file.c_str()) && CreateDirectoryA(file.c_str(), nullptr));
        ASSERT_TRUE(StartDeck(&deck, dir));
        EXPECT_EQ(AnswerNotice(deck, IDOK, 10000), SAVE_FAILED) << "at start-up";
        ASSERT_TRUE(WaitForMainWindow(&deck) && BringToFront(deck.window));
        EXPECT_EQ(FailToSave(), SAVE_FAILED);
        EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        ASSERT_TRUE(RemoveDirectoryA(file.c_str()) && WriteBytes(file, saved));
        ExpectFilesAsBefore();
        ASSERT_TRUE(Responds(deck.window));
        StopDeck(&deck);
    }
    Start();
    SetText(Control(deck, rows[1].keyField), "b");
    SetText(Control(deck, rows[1].pathField), "D:\\");
    ExpectSaveWorks({pathFile.size(), 3}, pathFile + "D:\\");
}

// A path field holding more than the two-digit length field can describe.
// Such a path comes from the open-file dialog or a paste; typing stops at the
// field's width.
TEST_F(Fault, SaveOfAPathOver99Bytes)
{
    Start();
    std::string longest = "C:\\" + std::string(96, 'p');
    SetText(Control(deck, rows[2].pathField), longest + "q");
    EXPECT_EQ(FailToSave(), "第3行的路径超过99字节，未保存");
    ExpectFilesAsBefore();

    SetText(Control(deck, rows[2].pathField), longest);
    ExpectSaveWorks({pathFile.size(), 3, 99}, pathFile + "D:\\" + longest);
}
