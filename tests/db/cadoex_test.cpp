#include "db/cadoex.h"

#include <gtest/gtest.h>

#include <chrono>

#include "db/installation.h"
#include "db/sql_text.h"
#include "db/sqlite_engine.h"
#include "session/session_context.h"
#include "support/scripted_shell.h"
#include "support/temp_home.h"

namespace {

using testing_support::ProcessEnded;
using testing_support::ScriptedShell;
using testing_support::TempHome;

struct GetFieldCase {
    std::string row;
    int n;
    std::string expected;
};

TEST(GetField, PicksFieldsCountedFromOne) {
    const std::string sep = db::kSeparator;
    const std::string xyz = "x" + sep + "y" + sep + "z";
    const std::vector<GetFieldCase> cases = {
        {xyz, 1, "x"},
        {xyz, 2, "y"},
        {xyz, 3, "z"},
        {xyz, 4, ""},
        {xyz, 0, ""},
        {xyz, -1, ""},
        {"abc", 1, ""},  // a text without separator has no fields, not even field 1
        {"abc", 2, ""},
        {"", 1, ""},
        {" " + sep + " ", 1, " "},
        {" " + sep + " ", 2, " "},
        {sep + "tail", 1, ""},
        {sep + "tail", 2, ""},  // the only separator starts the text: the last field is empty
        {"a" + sep + sep + "c", 2, ""},
        {"a" + sep + sep + "c", 3, "c"},
        {"a" + sep, 2, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::CADOEx::GetField(c.row, c.n, sep), c.expected)
            << "row '" << c.row << "' field " << c.n;
    }
}

class CadoexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(db::SqliteEngine::CreateFile(home_.path() / "ZSV.db", error)) << error;
        ASSERT_TRUE(db::SqliteEngine::CreateFile(home_.path() / "BufferDlglocal", error)) << error;
        ASSERT_TRUE(CentralDb.ConnectCentral());
        ASSERT_TRUE(CentralDb.Execute("create table t (a integer, b text, c numeric)"));
    }

    TempHome home_;
    ScriptedShell shell_;
};

TEST_F(CadoexTest, NullReadsAsOneSpaceAndColumnsJoinWithTheSeparator) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (null, null, 0)"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryRows("select a, b from t", {"a", "b"}, rows, db::kSeparator));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], " *@#$* ");
}

TEST_F(CadoexTest, NumbersReadBackInTheirShortestForm) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (7, 'x', 10.0)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (8, 'y', 0.1)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (9, 'z', 22.50)"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryColumn("select c from t order by a", "c", rows));
    EXPECT_EQ(rows, (std::vector<std::string>{"10", "0.1", "22.5"}));
}

TEST_F(CadoexTest, NoRowsIsFalseWithAnEmptyArray) {
    std::vector<std::string> rows = {"stale"};
    EXPECT_FALSE(CentralDb.QueryRows("select a, b from t", {"a", "b"}, rows, db::kSeparator));
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(CentralDb.OpenRecordset("select a from t"));
    EXPECT_TRUE(CentralDb.Execute("select a from t"));
}

TEST_F(CadoexTest, ColumnsAreFoundWithoutRegardToCaseOrQualifier) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (1, 'one', 1)"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryColumn("select t.B from t", "t.b", rows));
    EXPECT_EQ(rows, std::vector<std::string>{"one"});
}

TEST_F(CadoexTest, AMissingColumnIsFalseAndKeepsTheRowCount) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (1, 'one', 1)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (2, 'two', 2)"));
    std::vector<std::string> rows;
    EXPECT_FALSE(CentralDb.QueryColumn("select a from t", "nosuch", rows));
    EXPECT_EQ(rows.size(), 2u);
}

TEST_F(CadoexTest, SyntaxErrorIsFalseAndLeavesTheInstanceReconnected) {
    EXPECT_FALSE(CentralDb.Execute("selec nonsense"));
    EXPECT_TRUE(CentralDb.IsOpen());
    EXPECT_TRUE(shell_.messages().empty());
    EXPECT_TRUE(CentralDb.Execute("insert into t (a) values (1)"));
    EXPECT_EQ(CentralDb.RowsAffected(), 1);
}

TEST_F(CadoexTest, TypedQuotesCannotEndALiteral) {
    const std::string typed = "O'Brien'); delete from t; --";
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b) values (1, '" + db::SqlText(typed) + "')"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryColumn("select b from t", "b", rows));
    EXPECT_EQ(rows, std::vector<std::string>{typed});
}

TEST(CadoexCentral, UnreachableServerShowsOneMessageAndEndsWithMinusOneAfterThreeAttempts) {
    TempHome home;  // no central database file: the server cannot be reached
    ScriptedShell shell;
    const auto start = std::chrono::steady_clock::now();
    try {
        CentralDb.ConnectCentral();
        FAIL() << "the process should have ended";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, -1);
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    // Two pauses of 500 ms separate the three attempts.
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_EQ(shell.texts(), std::vector<std::string>{"提示：无法连接服务器，请检查网络连接。"});
}

TEST(CadoexLocal, AFailedConnectLocalNeverRunsLocalStatementsOnTheCentralDatabase) {
    TempHome home;
    ScriptedShell shell;
    std::string error;
    ASSERT_TRUE(db::SqliteEngine::CreateFile(home.path() / "ZSV.db", error));
    ASSERT_TRUE(CentralDb.ConnectCentral());
    ASSERT_TRUE(CentralDb.Execute("create table login (qq integer)"));
    CentralDb.Close();

    EXPECT_FALSE(LocalDb.ConnectLocal());  // no local store file
    EXPECT_EQ(shell.texts(), std::vector<std::string>{"无法连接本地缓存。"});
    EXPECT_FALSE(LocalDb.Execute("insert into login (qq) values (1)"));
    std::vector<std::string> rows;
    EXPECT_FALSE(LocalDb.QueryColumn("select qq from login", "qq", rows));
    EXPECT_FALSE(LocalDb.IsOpen());

    ASSERT_TRUE(CentralDb.ConnectCentral());
    EXPECT_FALSE(CentralDb.OpenRecordset("select qq from login"));
    EXPECT_EQ(shell.messages().size(), 1u);
}

}  // namespace
