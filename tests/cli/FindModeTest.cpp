#include "FindMode.h"
#include "Launcher.h"
#include "engine/ScratchFolder.h"
#include "index/TextIndex.h"

#include <gtest/gtest.h>

#include <sstream>

using cli::FindMode;

namespace {

struct Output {
    int status;
    std::string out;
    std::string err;
};

class FindModeTest : public ::testing::Test {
protected:
    Output find(const std::vector<std::string>& words, bool colour = false) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = FindMode::run(words, file, out, err, colour);
        return {status, out.str(), err.str()};
    }
    void add(const std::string& id, std::int64_t date, const std::vector<std::string>& lines) {
        engine::TextIndex index(file);
        ASSERT_NE(index.open(), engine::TextIndex::Opened::unavailable);
        ASSERT_TRUE(index.put({id, "/shots/" + id + ".png", id + ".png", date}));
        ASSERT_TRUE(index.setText(id, lines));
    }

    ScratchFolder scratch;
    std::filesystem::path file = scratch.path() / "text.sqlite";
};

TEST_F(FindModeTest, printsPathAndMatchingLineNewestFirst) {
    add("Old Error", 10, {"Terminal", "connection to port 5432 refused"});
    add("New Error", 20, {"psql: PORT 5432 is busy"});
    add("Other", 30, {"nothing here"});
    const auto result = find({"port", "5432"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "/shots/New Error.png\tpsql: PORT 5432 is busy\n"
                          "/shots/Old Error.png\tconnection to port 5432 refused\n");
    EXPECT_EQ(find({"(\"port"}).out, "");
    EXPECT_EQ(find({"(\"port"}).status, 0);
}

TEST_F(FindModeTest, colourMarksThePathAndTheMatchOnlyWhenAsked) {
    add("A", 1, {"Wi-Fi Password: hunter22"});
    EXPECT_EQ(find({"password"}, true).out,
              "\033[35m/shots/A.png\033[0m\tWi-Fi \033[1;31mPassword\033[0m: hunter22\n");
    EXPECT_EQ(find({"password"}, false).out.find('\033'), std::string::npos);
}

TEST_F(FindModeTest, saysSoWithoutAnIndexOrWithoutWords) {
    const auto missing = find({"anything"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no text index yet"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(find({}).status, 2);
    EXPECT_EQ(find({"  "}).status, 2);
}

TEST(FindModeLauncher, takesEveryWordAfterTheModeWord) {
    const auto invocation = cli::Launcher::decide({"quillmark", "--find", "wifi", "password"});
    EXPECT_EQ(invocation.mode, cli::Invocation::Mode::find);
    EXPECT_EQ(invocation.operands, (std::vector<std::string>{"wifi", "password"}));
}

} // namespace
