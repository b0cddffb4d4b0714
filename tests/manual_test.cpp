#include <string>

#include "store/manual.h"
#include "tests/store_fixture.h"

class Manual : public StoreTest {};

TEST_F(Manual, IsTheSame422BytesWithCrLfEveryTime)
{
    std::filesystem::path elsewhere = directory / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::string first;
    for (int press = 0; press < 2; press++) {
        OpenManual(nullptr);
        std::string text = Read("生命手册.txt");
        EXPECT_EQ(text.size(), 422u);
        EXPECT_EQ(text.rfind("此文为说明文档\r\n", 0), 0u);
        EXPECT_EQ(text.substr(text.size() - 4), "冲突");
        size_t lineEnds = 0;
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\n') {
                EXPECT_EQ(text[i - 1], '\r') << "at " << i;
                lineEnds++;
            }
        }
        EXPECT_EQ(lineEnds, 10u);
        if (press == 0)
            first = text;
        EXPECT_EQ(text, first);
        std::filesystem::current_path(elsewhere);  // the dialog may move it
    }
    EXPECT_FALSE(FileExists(elsewhere.string() + PATH_SEPARATOR + "生命手册.txt"));
    std::string path = PathOf("生命手册.txt");
    EXPECT_EQ(fake.events, (std::vector<std::string>{"shell " + path, "shell " + path}));
}

TEST_F(Manual, FailureIsReportedAndTheShellStillAsked)
{
    for (int step = 1; step <= 3; step++) {  // open, write, close
        ResetFake();
        fake.failAtFileStep = step;
        OpenManual(nullptr);
        ASSERT_EQ(fake.events.size(), 2u) << "step " << step;
        EXPECT_EQ(fake.events[0], "notice what the fuke") << "step " << step;
        EXPECT_EQ(fake.events[1].rfind("shell ", 0), 0u) << "step " << step;
    }
}
