#include "db/odbc_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/installation.h"

#ifdef QITAI_HAVE_ODBC

namespace {

// A test server of one dialect, found by the variables its script prints, and the types its
// tables spell differently.
struct ServerUnderTest {
    const char* name;
    const char* driver_variable;
    const char* options_variable;
    db::Dialect dialect;
    const char* date_time_type;
    const char* long_text_type;
};

const ServerUnderTest kServers[] = {
    {"mariadb", "QITAI_TEST_ODBC_DRIVER", "QITAI_TEST_ODBC_OPTIONS", db::Dialect::MariaDb,
     "datetime", "mediumtext"},
    {"postgres", "QITAI_TEST_PG_DRIVER", "QITAI_TEST_PG_OPTIONS", db::Dialect::Postgres,
     "timestamp", "text"},
};

// The server engine's own behaviour; the suites that run on every engine come on top of it.
class OdbcEngineTest : public ::testing::TestWithParam<ServerUnderTest> {
  protected:
    void SetUp() override {
        const char* driver = std::getenv(GetParam().driver_variable);
        if (driver == nullptr || *driver == '\0') {
            GTEST_SKIP() << "no test server (scripts/test-server, test-server-pg: start, env)";
        }
        const char* options = std::getenv(GetParam().options_variable);
        engine_ = std::make_unique<db::OdbcEngine>(driver, options != nullptr ? options : "",
                                                   GetParam().dialect);
        ASSERT_TRUE(engine_->Open(db::CentralConnectionString("127.0.0.1"))) << engine_->Error();
        db::ResultSet ignored;
        engine_->Run("drop table if exists odbc_probe", ignored);
        ASSERT_TRUE(engine_->Run(std::string("create table odbc_probe (a integer, b varchar(40), c "
                                             "decimal(10,2), d ") +
                                     GetParam().date_time_type + ")",
                                 ignored))
            << engine_->Error();
    }
    void TearDown() override {
        if (engine_ != nullptr && engine_->IsOpen()) {
            db::ResultSet ignored;
            engine_->Run("drop table if exists odbc_probe", ignored);
        }
    }
    std::unique_ptr<db::OdbcEngine> engine_;
};

TEST_P(OdbcEngineTest, ReadsTextsNullsNumbersAndDatesInTheFixedForms) {
    db::ResultSet rows;
    ASSERT_TRUE(
        engine_->Run("insert into odbc_probe values (1, '维修 ', 10.00, "
                     "'2026-12-10 09:05:03'), (2, null, 22.50, null)",
                     rows))
        << engine_->Error();
    EXPECT_EQ(engine_->RowsAffected(), 2);
    ASSERT_TRUE(engine_->Run("select a, b, c, d from odbc_probe order by a", rows));
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.columns[1], "b");
    EXPECT_EQ(rows.rows[0][1].value_or("NULL"), "维修 ");
    EXPECT_EQ(rows.rows[0][2].value_or("NULL"), "10");
    EXPECT_EQ(rows.rows[0][3].value_or("NULL"), "2026-12-10 09:05:03");
    EXPECT_FALSE(rows.rows[1][1].has_value());
    EXPECT_EQ(rows.rows[1][2].value_or("NULL"), "22.5");
}

TEST_P(OdbcEngineTest, ErrorsAreFalseWithTheDriversText) {
    db::ResultSet rows;
    EXPECT_FALSE(engine_->Run("selec nonsense", rows));
    EXPECT_FALSE(engine_->Error().empty());
    EXPECT_TRUE(engine_->Run("select 1 as one", rows));
}

// Statement texts whose UTF-16 length differs from their UTF-8 length, and a value longer than
// one read of the driver's buffer, come back exactly as written.
TEST_P(OdbcEngineTest, LongAndWideTextsComeBackWhole) {
    db::ResultSet rows;
    ASSERT_TRUE(engine_->Run(
        std::string("create temporary table odbc_long (t ") + GetParam().long_text_type + ")",
        rows))
        << engine_->Error();
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "配件" + std::to_string(i) + "号;";
    }
    ASSERT_TRUE(engine_->Run("insert into odbc_long values ('" + text + "')", rows))
        << engine_->Error();
    ASSERT_TRUE(engine_->Run("select t, char_length(t) from odbc_long", rows)) << engine_->Error();
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][0].value_or("NULL"), text);
    // The server holds characters, not the bytes of a text converted twice.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    EXPECT_EQ(rows.rows[0][1].value_or("NULL"), std::to_string(characters));
}

TEST_P(OdbcEngineTest, AStatementWithANulIsRefusedAndNothingOfItRuns) {
    db::ResultSet rows;
    const std::string sql =
        std::string("insert into odbc_probe (a) values (1)\0; drop table x", 52);
    EXPECT_FALSE(engine_->Run(sql, rows));
    EXPECT_NE(engine_->Error().find("NUL"), std::string::npos) << engine_->Error();
    ASSERT_TRUE(engine_->Run("select count(*) from odbc_probe", rows));
    EXPECT_EQ(rows.rows.at(0).at(0).value_or("NULL"), "0");
}

std::string ServerName(const ::testing::TestParamInfo<ServerUnderTest>& server) {
    return server.param.name;
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcEngineTest, ::testing::ValuesIn(kServers), ServerName);

TEST(OdbcEngineConnection, AServerThatRefusesTheConnectionFailsTheOpen) {
    const char* driver = std::getenv("QITAI_TEST_ODBC_DRIVER");
    if (driver == nullptr || *driver == '\0') {
        GTEST_SKIP() << "no ODBC driver configured";
    }
    db::OdbcEngine engine(driver, "PORT=1", db::Dialect::MariaDb);
    EXPECT_FALSE(engine.Open(db::CentralConnectionString("127.0.0.1")));
    EXPECT_FALSE(engine.IsOpen());
}

TEST(OdbcEngineConnection, KeepsTheClientsConnectionStringButNamesTheInstallationsDriver) {
    struct Case {
        const char* driver;
        std::string options;
        db::Dialect dialect;
        std::string tail;  // what follows the client's own string
    };
    // MariaDB's driver is told to count matched rows and take several statements (flags 2 and
    // 1 << 26, added to the installation's flags) and to talk UTF-8 unless told otherwise.
    const std::vector<Case> cases = {
        {"MariaDB Unicode", "PORT=33061", db::Dialect::MariaDb,
         ";PORT=33061;OPTION=67108866;CHARSET=utf8mb4"},
        {"MariaDB Unicode", "", db::Dialect::MariaDb, ";OPTION=67108866;CHARSET=utf8mb4"},
        {"MariaDB Unicode", "option=1;charset=gbk", db::Dialect::MariaDb,
         ";option=67108867;charset=gbk"},
        {"MariaDB Unicode", "PORT=3306;OPTIONS=67108864", db::Dialect::MariaDb,
         ";PORT=3306;OPTIONS=67108866;CHARSET=utf8mb4"},
        // PostgreSQL's driver rolls the whole transaction back on a failed statement, unless
        // the installation chose a protocol itself.
        {"PostgreSQL Unicode", "Port=54331", db::Dialect::Postgres,
         ";Port=54331;Protocol=7.4-1;UseDeclareFetch=0;BoolsAsChar=0"},
        {"PostgreSQL Unicode", "protocol=7.4-2;BoolsAsChar=1", db::Dialect::Postgres,
         ";protocol=7.4-2;BoolsAsChar=1;UseDeclareFetch=0"},
        {"FreeTDS", "Port=1433;TDS_Version=7.4", db::Dialect::SqlServer,
         ";Port=1433;TDS_Version=7.4"},
        {"FreeTDS", "", db::Dialect::SqlServer, ""},
    };
    for (const Case& c : cases) {
        db::OdbcEngine engine(c.driver, c.options, c.dialect);
        EXPECT_EQ(engine.DriverConnectionString(db::CentralConnectionString("10.0.0.5")),
                  std::string("DRIVER={") + c.driver +
                      "};Server=10.0.0.5;Database=ZSV;uid=appclient;pwd=duskwaterpin352" + c.tail)
            << c.options;
    }
}

}  // namespace

#endif
