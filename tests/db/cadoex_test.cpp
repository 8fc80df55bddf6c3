#include "db/cadoex.h"

#include <gtest/gtest.h>

#include <chrono>

#include "db/installation.h"
#include "db/sql_text.h"
#include "db/sqlite_engine.h"
#include "db/table_def.h"
#include "session/session_context.h"
#include "support/scripted_shell.h"
#include "support/stores_fixture.h"
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

// The wrapper's behaviour on every engine, on a table of the three classes of value.
class CadoexTest : public testing_support::CentralEnginesTest {
  protected:
    void SetUp() override {
        CentralEnginesTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) {
            return;
        }
        const db::TableDef t{.name = "t",
                             .columns = {{"a", db::ColumnKind::Integer},
                                         {"b", db::ColumnKind::Text},
                                         {"c", db::ColumnKind::Number}}};
        const db::Dialect dialect = db::CentralDialect(db::CurrentInstallation());
        ASSERT_TRUE(CentralDb.ConnectCentral());
        ASSERT_TRUE(
            CentralDb.Execute(db::DropTableSql(t, dialect) + db::CreateTableSql(t, dialect)))
            << CentralDb.LastError();
    }

    std::vector<std::string> Column(const std::string& sql, const std::string& column) {
        std::vector<std::string> rows;
        CentralDb.QueryColumn(sql, column, rows);
        return rows;
    }
};

TEST_P(CadoexTest, NullReadsAsOneSpaceAndColumnsJoinWithTheSeparator) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (null, null, 0)"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryRows("select a, b from t", {"a", "b"}, rows, db::kSeparator));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], " *@#$* ");
}

TEST_P(CadoexTest, NumbersReadBackInTheirShortestForm) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (7, 'x', 10.0)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (8, 'y', 0.1)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (9, 'z', 22.50)"));
    EXPECT_EQ(Column("select c from t order by a", "c"),
              (std::vector<std::string>{"10", "0.1", "22.5"}));
}

TEST_P(CadoexTest, NoRowsIsFalseWithAnEmptyArray) {
    std::vector<std::string> rows = {"stale"};
    EXPECT_FALSE(CentralDb.QueryRows("select a, b from t", {"a", "b"}, rows, db::kSeparator));
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(CentralDb.OpenRecordset("select a from t"));
    EXPECT_TRUE(CentralDb.Execute("select a from t"));
}

TEST_P(CadoexTest, ColumnsAreFoundWithoutRegardToCaseOrQualifier) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (1, 'one', 1)"));
    std::vector<std::string> rows;
    ASSERT_TRUE(CentralDb.QueryColumn("select t.B from t", "t.b", rows));
    EXPECT_EQ(rows, std::vector<std::string>{"one"});
}

TEST_P(CadoexTest, AMissingColumnIsFalseAndKeepsTheRowCount) {
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (1, 'one', 1)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a, b, c) values (2, 'two', 2)"));
    std::vector<std::string> rows;
    EXPECT_FALSE(CentralDb.QueryColumn("select a from t", "nosuch", rows));
    EXPECT_EQ(rows.size(), 2u);
}

TEST_P(CadoexTest, SyntaxErrorIsFalseAndLeavesTheInstanceReconnected) {
    EXPECT_FALSE(CentralDb.Execute("selec nonsense"));
    EXPECT_TRUE(CentralDb.IsOpen());
    EXPECT_TRUE(shell_.messages().empty());
    EXPECT_TRUE(CentralDb.Execute("insert into t (a) values (1)"));
    EXPECT_EQ(CentralDb.RowsAffected(), 1);
}

TEST_P(CadoexTest, TypedTextsCannotEndALiteral) {
    // A backslash is no escape character on the central server: "\'" typed must not let the
    // doubled quote after it end the literal.
    const std::vector<std::string> typed = {
        "O'Brien'); delete from t; --",
        "\\'); delete from t; --",
        "C:\\temp\\",
        "'",
        "''",
        "\\",
        "a\\\\'b",
    };
    for (std::size_t i = 0; i < typed.size(); ++i) {
        ASSERT_TRUE(CentralDb.Execute("insert into t (a, b) values (" + std::to_string(i) + ", '" +
                                      db::SqlText(typed[i]) + "')"))
            << typed[i] << ": " << CentralDb.LastError();
    }
    EXPECT_EQ(Column("select b from t order by a", "b"), typed);
    for (const std::string& text : typed) {
        EXPECT_EQ(Column("select count(*) as n from t where b = '" + db::SqlText(text) + "'", "n"),
                  std::vector<std::string>{"1"})
            << text;
    }
}

TEST_P(CadoexTest, RowsAffectedCountsTheRowsAStatementMatched) {
    struct Case {
        std::string sql;
        long long rows;
    };
    const std::vector<Case> cases = {
        {"insert into t (a, b, c) values (1, 'x', 5), (2, 'x', 5), (3, 'y', 5)", 3},
        // Rows that already hold the values count too: a guarded update tells whether the row
        // was there, not whether it changed.
        {"update t set c = 5 where b = 'x'", 2},
        {"update t set c = 6 where b = 'y'", 1},
        {"update t set c = 7 where b = 'none'", 0},
        {"select a from t", 0},
        {"delete from t where a = 1", 1},
        {"delete t where a > 1", 2},
        {"delete from t", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CentralDb.Execute(c.sql)) << c.sql << ": " << CentralDb.LastError();
        EXPECT_EQ(CentralDb.RowsAffected(), c.rows) << c.sql;
    }
}

TEST_P(CadoexTest, ATransactionTakesEffectOnlyWhenCommitted) {
    db::CADOEx other(db::CADOEx::Store::Central);
    ASSERT_TRUE(other.Open(db::CentralConnectionString(SessionContext.CurrentIp)))
        << other.LastError();
    const auto seen_by_other = [&other] {
        std::vector<std::string> rows;
        other.QueryColumn("select count(*) as n from t", "n", rows);
        return rows;
    };

    ASSERT_TRUE(CentralDb.BeginTrans()) << CentralDb.LastError();
    EXPECT_FALSE(CentralDb.BeginTrans());  // one at a time
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (1)"));
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (2)"));
    EXPECT_EQ(CentralDb.RowsAffected(), 1);
    EXPECT_EQ(Column("select count(*) as n from t", "n"), std::vector<std::string>{"2"});
    EXPECT_EQ(seen_by_other(), std::vector<std::string>{"0"});
    ASSERT_TRUE(CentralDb.RollbackTrans()) << CentralDb.LastError();
    EXPECT_EQ(Column("select count(*) as n from t", "n"), std::vector<std::string>{"0"});

    ASSERT_TRUE(CentralDb.BeginTrans());
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (3)"));
    ASSERT_TRUE(CentralDb.CommitTrans()) << CentralDb.LastError();
    EXPECT_EQ(seen_by_other(), std::vector<std::string>{"1"});
    EXPECT_FALSE(CentralDb.CommitTrans());  // nothing open any more
    EXPECT_FALSE(CentralDb.RollbackTrans());

    // After the transaction every statement takes effect on its own again.
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (4)"));
    EXPECT_EQ(seen_by_other(), std::vector<std::string>{"2"});
}

TEST_P(CadoexTest, AFailedStatementUndoesTheTransactionAndStopsTheRestOfIt) {
    ASSERT_TRUE(CentralDb.BeginTrans());
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (1)"));
    EXPECT_FALSE(CentralDb.Execute("selec nonsense"));
    EXPECT_TRUE(CentralDb.IsOpen());
    // The rest of the work is refused instead of taking effect without the first part.
    EXPECT_FALSE(CentralDb.Execute("insert into t (a) values (2)"));
    EXPECT_FALSE(CentralDb.OpenRecordset("select a from t"));
    EXPECT_FALSE(CentralDb.CommitTrans());
    EXPECT_FALSE(CentralDb.InTransaction());

    EXPECT_EQ(Column("select count(*) as n from t", "n"), std::vector<std::string>{"0"});
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (3)"));
    EXPECT_EQ(Column("select a from t", "a"), std::vector<std::string>{"3"});
    EXPECT_TRUE(shell_.messages().empty());
}

TEST_P(CadoexTest, ClosingTheConnectionUndoesAnOpenTransaction) {
    ASSERT_TRUE(CentralDb.BeginTrans());
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (1)"));
    CentralDb.Close();
    EXPECT_FALSE(CentralDb.InTransaction());
    EXPECT_FALSE(CentralDb.CommitTrans());
    EXPECT_EQ(Column("select count(*) as n from t", "n"), std::vector<std::string>{"0"});

    // A rolled-back transaction is ended as well.
    ASSERT_TRUE(CentralDb.BeginTrans());
    ASSERT_TRUE(CentralDb.Execute("insert into t (a) values (2)"));
    EXPECT_FALSE(CentralDb.Execute("insert into nosuch (a) values (1)"));
    EXPECT_TRUE(CentralDb.RollbackTrans());
    EXPECT_EQ(Column("select count(*) as n from t", "n"), std::vector<std::string>{"0"});
}

INSTANTIATE_TEST_SUITE_P(Engines, CadoexTest,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

// A central database that cannot be reached: no database file for the embedded engine, nothing
// listening for the server engine.
class CadoexUnreachable : public ::testing::TestWithParam<testing_support::CentralEngine> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_EQ(db::CreateLocalStore(db::kDefaultServer, false, error), db::CreateResult::Created)
            << error;
        if (!GetParam().configured) {
            GTEST_SKIP() << "no test server: scripts/test starts one";
        }
        testing_support::CentralEngine unreachable = GetParam();
        if (unreachable.IsServer()) {
            unreachable.odbc_options = "PORT=1";
        }
        testing_support::UseCentralEngine(unreachable);
    }

    TempHome home_;
    ScriptedShell shell_;
};

TEST_P(CadoexUnreachable, ShowsOneMessageAndEndsWithMinusOneAfterThreeAttempts) {
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
    EXPECT_EQ(shell_.texts(), std::vector<std::string>{"提示：无法连接服务器，请检查网络连接。"});
}

INSTANTIATE_TEST_SUITE_P(Engines, CadoexUnreachable,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

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
