// The conversation history the logout keeps per contact: appended to what is stored, and
// bounded by keeping the newest text instead of losing all of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/gbk.h"
#include "net/contact_table.h"
#include "session/logout.h"
#include "session/session_context.h"
#include "support/stores_fixture.h"

namespace {

using session::NewestText;

TEST(NewestText, KeepsWholeLinesOrWholeCharactersFromTheEnd) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t limit;
        std::string kept;
    };
    const std::vector<Case> cases = {
        {"fits", "ab\r\ncd\r\n", 8, "ab\r\ncd\r\n"},
        {"drops the oldest line", "ab\r\ncd\r\n", 6, "cd\r\n"},
        {"cut line dropped", "abc\r\nde\r\n", 7, "de\r\n"},
        {"one long line: its newest characters", "abcdef", 4, "cdef"},
        // Chinese characters count two GBK bytes each and are never split.
        {"Chinese by GBK bytes", "维修工单", 5, "工单"},
        {"Chinese line boundary", "维修\r\n工单\r\n", 7, "工单\r\n"},
        {"nothing fits", "维", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string kept = NewestText(c.text, c.limit);
        EXPECT_EQ(kept, c.kept);
        EXPECT_LE(common::GbkLength(kept), c.limit);
    }
}

class HistoryTest : public testing_support::StoresTest {
  protected:
    void SetUp() override {
        StoresTest::SetUp();
        SessionContext.qq = "100001";
        ContactTable.SetQq(0, "100002");
        ContactTable.SetQq(1, "100003");
    }
    std::vector<std::string> Stored(const std::string& target) {
        return LocalRows(
            "select content from diaRecord where source = 100001 and target = " + target,
            {"content"});
    }
};

TEST_F(HistoryTest, AppendsTheRunToTheStoredHistory) {
    LocalExecute(
        "insert into diaRecord (source,target,times,content) values "
        "(100001,100002,0,'昨天的话')");
    ContactTable.Entry(0).conversation = "今天's 话\r\n";
    session::SaveConversationHistory();
    EXPECT_EQ(Stored("100002"), std::vector<std::string>{"昨天的话\r\n今天's 话\r\n"});
    EXPECT_TRUE(Stored("100003").empty()) << "no chat, no row";
}

TEST_F(HistoryTest, AnOverlongHistoryKeepsItsNewestLines) {
    const std::string old_line = "旧的记录一二三四五六七八\r\n";  // 26 GBK bytes
    std::string stored;
    while (common::GbkLength(stored) + 26 <= session::kHistoryLimit - 10) {
        stored += old_line;
    }
    LocalExecute(
        "insert into diaRecord (source,target,times,content) values "
        "(100001,100002,0,'" +
        stored + "')");
    const std::string run = "今天的新话题\r\n";
    ContactTable.Entry(0).conversation = run;
    session::SaveConversationHistory();
    const auto rows = Stored("100002");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_LE(common::GbkLength(rows[0]), session::kHistoryLimit);
    EXPECT_EQ(rows[0].substr(rows[0].size() - run.size()), run);
    EXPECT_EQ(rows[0].substr(0, old_line.size()), old_line) << "starts at a whole line";
}

}  // namespace
