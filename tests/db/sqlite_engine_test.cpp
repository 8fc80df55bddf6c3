#include "db/sqlite_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "support/temp_home.h"

namespace {

// Two clients of one machine on the same central file: a write that arrives while the other
// client holds the write lock waits for its commit and then runs, in that order, instead of
// failing with "database is locked".
TEST(SqliteEngineSharing, AWriteWaitsForAnotherClientsTransactionAndRunsAfterIt) {
    testing_support::TempHome home;
    std::string error;
    ASSERT_TRUE(db::SqliteEngine::CreateFile(home.path() / "shared.db", error)) << error;
    db::SqliteEngine first;
    db::SqliteEngine second;
    ASSERT_TRUE(first.Open("Data Source=shared.db")) << first.Error();
    ASSERT_TRUE(second.Open("Data Source=shared.db")) << second.Error();
    db::ResultSet rows;
    ASSERT_TRUE(first.Run("create table turns (who text)", rows)) << first.Error();

    ASSERT_TRUE(first.Begin()) << first.Error();
    ASSERT_TRUE(first.Run("insert into turns values ('first, begun')", rows));
    // The first client finishes its transaction a while after the second one's write arrived.
    std::future<bool> committed = std::async(std::launch::async, [&first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        db::ResultSet ignored;
        return first.Run("insert into turns values ('first, committed')", ignored) &&
               first.Commit();
    });
    EXPECT_TRUE(second.Run("insert into turns values ('second')", rows)) << second.Error();
    EXPECT_TRUE(committed.get()) << first.Error();

    ASSERT_TRUE(second.Run("select who from turns order by rowid", rows)) << second.Error();
    ASSERT_EQ(rows.rows.size(), 3u);
    EXPECT_EQ(rows.rows[0][0].value_or(""), "first, begun");
    EXPECT_EQ(rows.rows[1][0].value_or(""), "first, committed");
    EXPECT_EQ(rows.rows[2][0].value_or(""), "second");
}

}  // namespace
