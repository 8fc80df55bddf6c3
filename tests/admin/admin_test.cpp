// The qitai-admin program as an administrator runs it, in a fresh data directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/installation.h"
#include "db/scramble.h"
#include "db/stores.h"
#include "session/session_context.h"
#include "support/stores_fixture.h"
#include "support/temp_home.h"

namespace {

using testing_support::TempHome;

const std::string kSep = db::kSeparator;

struct AdminRun {
    int code = -1;
    std::vector<std::string> out;  // lines of standard output
    std::string err;
};

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class AdminTest : public ::testing::Test {
  protected:
    // Runs qitai-admin with the arguments; the data directory is this test's (QITAI_HOME).
    AdminRun Admin(const std::vector<std::string>& args) {
        const auto out_file = home_.path() / "admin.out";
        const auto err_file = home_.path() / "admin.err";
        std::string command = ShellQuoted(QITAI_ADMIN_BIN);
        for (const std::string& arg : args) {
            command += " " + ShellQuoted(arg);
        }
        command += " >" + ShellQuoted(out_file) + " 2>" + ShellQuoted(err_file);
        const int status = std::system(command.c_str());
        AdminRun run;
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream out(out_file);
        for (std::string line; std::getline(out, line);) {
            run.out.push_back(line);
        }
        std::ostringstream err;
        err << std::ifstream(err_file).rdbuf();
        run.err = err.str();
        std::filesystem::remove(out_file);
        std::filesystem::remove(err_file);
        return run;
    }

    std::vector<std::string> Query(const std::string& sql) {
        const AdminRun run = Admin({"query", sql});
        EXPECT_EQ(run.code, 0) << sql << "\n" << run.err;
        return run.out;
    }

    // The accounts printed by `demo`: account, password, role name, name per line.
    std::vector<std::vector<std::string>> DemoAccounts(const AdminRun& run) {
        std::vector<std::vector<std::string>> accounts;
        for (const std::string& line : run.out) {
            std::vector<std::string> fields;
            std::istringstream in(line);
            for (std::string field; std::getline(in, field, '\t');) {
                fields.push_back(field);
            }
            if (fields.size() == 4 && common::IsDigits(fields[0])) {
                accounts.push_back(fields);
            }
        }
        return accounts;
    }

    TempHome home_;
};

// The commands that work on the central database, on every engine: for a server engine the
// local store is pointed at it with `local` and its tables are emptied first.
class AdminOnEveryEngine : public AdminTest,
                           public ::testing::WithParamInterface<testing_support::CentralEngine> {
  protected:
    void SetUp() override {
        if (!GetParam().configured) {
            GTEST_SKIP() << "no test server: scripts/test starts one";
        }
        const testing_support::CentralEngine& engine = GetParam();
        if (!engine.IsServer()) {
            return;
        }
        const AdminRun local =
            Admin({"local", "--server", engine.server, "--engine", "odbc", "--driver",
                   engine.odbc_driver, "--dialect", engine.odbc_dialect, "--options",
                   engine.odbc_options.empty() ? "CHARSET=utf8mb4" : engine.odbc_options});
        ASSERT_EQ(local.code, 0) << local.err;
        db::ReloadInstallation();
        SessionContext.CurrentIp = engine.server;
        testing_support::ResetServerDatabase();
    }
};

TEST_P(AdminOnEveryEngine, InitAndDemoLeaveADatabaseThatAnswersTopQueries) {
    ASSERT_EQ(Admin({"init"}).code, 0);
    const AdminRun demo = Admin({"demo"});
    ASSERT_EQ(demo.code, 0) << demo.err;
    const auto accounts = DemoAccounts(demo);
    ASSERT_EQ(accounts.size(), 5u);

    EXPECT_EQ(Query("select top 2 qq,name from zsv_quser order by qq desc"),
              (std::vector<std::string>{accounts[4][0] + kSep + accounts[4][3],
                                        accounts[3][0] + kSep + accounts[3][3]}));
}

TEST_P(AdminOnEveryEngine, TheDemoShopPrintsAccountsThatLogInWithTheirRoles) {
    ASSERT_EQ(Admin({"init"}).code, 0);
    const auto accounts = DemoAccounts(Admin({"demo"}));
    ASSERT_EQ(accounts.size(), 5u);
    std::vector<std::string> roles;
    for (const auto& account : accounts) {
        roles.push_back(account[2]);
        const auto rows = Query("select qq, u_kind from zsv_quser where qq = " + account[0] +
                                " and passwordd = '" + account[1] + "'");
        EXPECT_EQ(rows.size(), 1u) << account[0];
    }
    EXPECT_EQ(roles, (std::vector<std::string>{"经理", "客服", "技术员", "技术员", "保管员"}));
}

TEST_F(AdminTest, QueryBeforeInitSaysThereIsNoCentralDatabase) {
    const AdminRun before = Admin({"query", "select 1"});
    EXPECT_EQ(before.code, 1);
    EXPECT_NE(before.err.find("central database"), std::string::npos) << before.err;
}

TEST_P(AdminOnEveryEngine, QueryPrintsNullAsOneSpaceAndReportsFailures) {
    ASSERT_EQ(Admin({"init"}).code, 0);
    EXPECT_EQ(Query("select qq, question, name from zsv_quser where qq = 100000"),
              std::vector<std::string>{"100000" + kSep + " " + kSep + "青禾"});
    EXPECT_TRUE(Query("select qq from zsv_quser where qq = 1").empty());

    const AdminRun bad = Admin({"query", "selec nonsense"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("the statement failed"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());

    const AdminRun update = Admin({"query", "update zsv_quser set score = 5 where qq = 100000"});
    EXPECT_EQ(update.code, 0) << update.err;
    EXPECT_EQ(Query("select score from zsv_quser where qq = 100000"),
              std::vector<std::string>{"5"});
}

TEST_P(AdminOnEveryEngine, NothingIsOverwrittenWithoutForce) {
    ASSERT_EQ(Admin({"init"}).code, 0);
    ASSERT_EQ(Admin({"demo"}).code, 0);
    const std::string count = "select count(*) from zsv_quser";
    ASSERT_EQ(Query(count), std::vector<std::string>{"6"});

    for (const char* command : {"init", "demo"}) {
        const AdminRun again = Admin({command});
        EXPECT_EQ(again.code, 1) << command;
        EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
        EXPECT_EQ(Query(count), std::vector<std::string>{"6"}) << command;
    }

    EXPECT_EQ(Admin({"demo", "--force"}).code, 0);
    EXPECT_EQ(Query(count), std::vector<std::string>{"6"});  // the old demo shop replaced
    EXPECT_EQ(Admin({"init", "--force"}).code, 0);
    EXPECT_EQ(Query(count), std::vector<std::string>{"1"});  // only the platform account
}

TEST_F(AdminTest, LocalKeepsTheStoreAndWritesTheAddressAndEngine) {
    ASSERT_EQ(Admin({"local", "--server", "10.0.0.5"}).code, 0);
    {
        db::ScopedStore local(db::CADOEx::Store::Local);
        ASSERT_TRUE(local.IsOpen()) << local.Error();
        ASSERT_TRUE(local.Db().Execute("insert into login ( qq) values ( 100001)"));
    }
    const AdminRun update =
        Admin({"local", "--server", "10.0.0.6", "--engine", "odbc", "--driver",
               "PostgreSQL Unicode", "--dialect=postgres", "--default-server", "10.0.0.9"});
    ASSERT_EQ(update.code, 0) << update.err;

    db::ReloadInstallation();
    const db::Installation& installation = db::CurrentInstallation();
    EXPECT_EQ(installation.engine, "odbc");
    EXPECT_EQ(installation.odbc_driver, "PostgreSQL Unicode");
    EXPECT_EQ(installation.odbc_dialect, "postgres");
    EXPECT_EQ(installation.default_server, "10.0.0.9");
    {
        db::ScopedStore local(db::CADOEx::Store::Local);
        ASSERT_TRUE(local.IsOpen()) << local.Error();
        std::vector<std::string> rows;
        ASSERT_TRUE(local.Db().QueryRows("select CenterIp1,CenterIp2,CurrentIp from about",
                                         {"CenterIp1", "CenterIp2", "CurrentIp"}, rows, kSep));
        const std::string scrambled = db::ScrambleAddress("10.0.0.6");
        EXPECT_EQ(rows, std::vector<std::string>{scrambled + kSep + scrambled + kSep + scrambled});
        EXPECT_TRUE(local.Db().QueryColumn("select qq from login", "qq", rows));
        EXPECT_EQ(rows, std::vector<std::string>{"100001"});  // the remembered account stays
    }

    ASSERT_EQ(Admin({"local", "--server", "10.0.0.7", "--engine", "sqlite", "--force"}).code, 0);
    EXPECT_EQ(db::StoredServerAddress(), "10.0.0.7");
    db::ScopedStore local(db::CADOEx::Store::Local);
    std::vector<std::string> rows;
    EXPECT_FALSE(local.Db().QueryColumn("select qq from login", "qq", rows));  // made anew
}

TEST_F(AdminTest, InitWritesTheServerAddressTheLocalStoreKeeps) {
    ASSERT_EQ(Admin({"local", "--server", "10.0.0.7"}).code, 0);
    ASSERT_EQ(Admin({"init"}).code, 0);
    EXPECT_EQ(Query("select CenterIp1, CurrentIp from zsv_about where id = 1"),
              std::vector<std::string>{"10.0.0.7" + kSep + "10.0.0.7"});
}

TEST_F(AdminTest, BadArgumentsShowTheUsageAndTouchNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"init", "--bogus"},
        {"init", "extra"},
        {"demo", "--force=yes"},
        {"query"},
        {"query", "  "},
        {"query", "select 1", "select 2"},
        {"local"},
        {"local", "--server"},
        {"local", "--server", "10.0.0.1", "--server", "10.0.0.2"},
        {"local", "--server", "10.0.0.1;Database=other"},
        {"local", "--server", "10.0.0.1", "--engine", "oracle"},
        {"local", "--server", "10.0.0.1", "--engine", "odbc"},
        {"local", "--server", "10.0.0.1", "--engine", "odbc", "--driver", "x}", "--dialect",
         "postgres"},
        {"local", "--server", "10.0.0.1", "--dialect", "db2"},
        {"local", "--server", "10.0.0.1", "--default-server", "a b"},
        {"local", "--server", "10.0.0.1", "--options", "PORT"},
        {"local", "--server", "10.0.0.1", "--options", "PORT=1;Database=other"},
        {"local", "--server", "10.0.0.1", "--options", "UID=root"},
        {"local", "--server", "10.0.0.1", "--options", "PORT={1}"},
        {"schema"},
        {"schema", "--dialect", "oracle"},
        {"schema", "--dialect", "sqlserver", "extra"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& arg : args) {
            line += " [" + arg + "]";
        }
        const AdminRun run = Admin(args);
        EXPECT_EQ(run.code, 2) << line;
        EXPECT_NE(run.err.find("usage: qitai-admin"), std::string::npos) << line;
    }
    EXPECT_TRUE(std::filesystem::is_empty(home_.path()));

    const AdminRun help = Admin({"help"});
    EXPECT_EQ(help.code, 0);
    ASSERT_FALSE(help.out.empty());
    EXPECT_EQ(help.out[0], "usage: qitai-admin COMMAND [OPTIONS]");
}

TEST_F(AdminTest, SchemaPrintsTheShippedSqlServerScript) {
    const AdminRun run = Admin({"schema", "--dialect", "sqlserver"});
    ASSERT_EQ(run.code, 0) << run.err;
    std::ifstream file(std::filesystem::path(QITAI_SOURCE_DIR) / "src/db/schema/central.mssql.sql");
    ASSERT_TRUE(file) << "the shipped script is missing";
    std::vector<std::string> shipped;
    for (std::string line; std::getline(file, line);) {
        shipped.push_back(line);
    }
    // On a difference: qitai-admin schema --dialect sqlserver > src/db/schema/central.mssql.sql
    EXPECT_EQ(run.out, shipped);
}

INSTANTIATE_TEST_SUITE_P(Engines, AdminOnEveryEngine,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
