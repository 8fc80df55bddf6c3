#include "support/stores_fixture.h"

#include <cstdlib>

#include "db/central_schema.h"
#include "db/installation.h"
#include "db/sql_text.h"
#include "session/session_context.h"

namespace testing_support {

namespace {

std::string Environment(const char* name, const std::string& otherwise = "") {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : otherwise;
}

// The text that empties every central table and sets every identity back to its first number,
// without defining anything anew; empty for a dialect that needs the tables made anew.
std::string EmptyingSql(db::Dialect dialect) {
    if (dialect == db::Dialect::Postgres) {
        // Restarting the identities sets the sequences the columns own back to their start.
        std::string tables;
        for (const db::TableDef& table : db::CentralTables()) {
            tables += (tables.empty() ? "" : ", ") + table.name;
        }
        return "truncate table " + tables + " restart identity;\n";
    }
    if (dialect != db::Dialect::MariaDb) {
        return "";
    }
    std::string sql;
    for (const db::TableDef& table : db::CentralTables()) {
        sql += "delete from `" + table.name + "`;\n";
        for (const db::ColumnDef& column : table.columns) {
            if (column.kind == db::ColumnKind::Identity) {
                sql += "alter table `" + table.name +
                       "` auto_increment = " + std::to_string(table.first_identity) + ";\n";
            }
        }
    }
    return sql;
}

void Execute(db::CADOEx::Store which, const std::string& sql) {
    db::ScopedStore store(which);
    ASSERT_TRUE(store.IsOpen()) << store.Error();
    EXPECT_TRUE(store.Db().Execute(sql)) << sql << "\n" << store.Db().LastError();
}

std::vector<std::string> Rows(db::CADOEx::Store which, const std::string& sql,
                              const std::vector<std::string>& columns) {
    db::ScopedStore store(which);
    if (!store.IsOpen()) {
        ADD_FAILURE() << store.Error();
        return {};
    }
    std::vector<std::string> rows;
    store.Db().QueryRows(sql, columns, rows, db::kSeparator);
    return rows;
}

}  // namespace

std::vector<CentralEngine> CentralEngines() {
    std::vector<CentralEngine> engines = {CentralEngine{.name = "sqlite"}};
    const std::string driver = Environment("QITAI_TEST_ODBC_DRIVER");
    const std::string dialect = Environment("QITAI_TEST_ODBC_DIALECT", "mariadb");
    engines.push_back(CentralEngine{.name = dialect,
                                    .odbc_driver = driver,
                                    .odbc_dialect = dialect,
                                    .odbc_options = Environment("QITAI_TEST_ODBC_OPTIONS"),
                                    .server = Environment("QITAI_TEST_ODBC_SERVER", "127.0.0.1"),
                                    .configured = !driver.empty()});
    const std::string pg_driver = Environment("QITAI_TEST_PG_DRIVER");
    engines.push_back(CentralEngine{.name = "postgres",
                                    .odbc_driver = pg_driver,
                                    .odbc_dialect = "postgres",
                                    .odbc_options = Environment("QITAI_TEST_PG_OPTIONS"),
                                    .server = Environment("QITAI_TEST_PG_SERVER", "127.0.0.1"),
                                    .configured = !pg_driver.empty()});
    return engines;
}

std::string EngineName(const ::testing::TestParamInfo<CentralEngine>& info) {
    return info.param.name;
}

void PrintTo(const CentralEngine& engine, std::ostream* out) {
    *out << engine.name;
}

void UseCentralEngine(const CentralEngine& engine) {
    SessionContext.CurrentIp = engine.server;
    if (!engine.IsServer()) {
        return;  // the embedded engine serves when the local store names none
    }
    db::LocalSettings settings;
    settings.engine = "odbc";
    settings.odbc_driver = engine.odbc_driver;
    settings.odbc_dialect = engine.odbc_dialect;
    settings.odbc_options = engine.odbc_options;
    std::string error;
    ASSERT_TRUE(db::WriteLocalSettings(settings, error)) << error;
}

void ResetServerDatabase() {
    CentralDb.Close();
    const db::Installation& installation = db::CurrentInstallation();
    const db::Dialect dialect = db::CentralDialect(installation);
    const std::string schema = db::CentralSchemaSql(dialect);
    ASSERT_FALSE(schema.empty()) << "no central schema for " << installation.odbc_dialect;
    const auto engine = db::MakeCentralEngine(installation);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(engine->Open(db::CentralConnectionString(SessionContext.CurrentIp)))
        << engine->Error();
    // Making the tables takes a server seconds; emptying them takes milliseconds. The tables are
    // emptied when they were made from the schema as it is now, which the tests keep beside
    // them in a table of their own.
    db::ResultSet rows;
    const std::string emptying = EmptyingSql(dialect);
    if (!emptying.empty() && engine->Run("select definition from qitai_test_schema", rows) &&
        rows.rows.size() == 1 && rows.rows[0].size() == 1 && rows.rows[0][0] == schema &&
        engine->Run(emptying, rows)) {
        return;
    }
    const db::TableDef marker{.name = "qitai_test_schema",
                              .columns = {{"definition", db::ColumnKind::Text}}};
    ASSERT_TRUE(engine->Run(db::DropTableSql(marker, dialect) + db::DropCentralSchemaSql(dialect) +
                                schema + db::CreateTableSql(marker, dialect),
                            rows))
        << engine->Error();
    ASSERT_TRUE(engine->Run(
        "insert into qitai_test_schema (definition) values ('" + db::SqlText(schema) + "')", rows))
        << engine->Error();
}

void StoresTest::SetUp() {
    SetUpStores(CentralEngine{.name = "sqlite"});
}

void StoresTest::SetUpStores(const CentralEngine& engine) {
    std::string error;
    ASSERT_EQ(db::CreateLocalStore(engine.server, false, error), db::CreateResult::Created)
        << error;
    UseCentralEngine(engine);
    if (HasFatalFailure()) {
        return;
    }
    if (engine.IsServer()) {
        ResetServerDatabase();
        if (HasFatalFailure()) {
            return;
        }
    } else {
        ASSERT_EQ(db::CreateCentralStore(false, error), db::CreateResult::Created) << error;
    }
    std::string platform_password;
    ASSERT_TRUE(db::InitCentralData(db::CentralSettings{}, platform_password, error)) << error;
}

std::string StoresTest::AddAccount(const std::string& name, const std::string& role,
                                   const std::string& password, const std::string& manager) {
    db::NewAccount account;
    account.name = name;
    account.role = role;
    account.password = password;
    account.manager = manager;
    account.company = "测试维修店";
    return AddAccount(account);
}

std::string StoresTest::AddAccount(const db::NewAccount& account) {
    std::string error;
    const std::string qq = db::CreateAccount(account, error);
    if (qq.empty()) {
        ADD_FAILURE() << error;
        return "";
    }
    if (!db::LinkShopMember(qq, account.manager.empty() ? qq : account.manager, error)) {
        ADD_FAILURE() << error;
        return "";
    }
    return qq;
}

std::string StoresTest::AddManager(const std::string& name, const std::string& password,
                                   const std::string& company) {
    db::NewAccount account;
    account.name = name;
    account.role = "1";
    account.password = password;
    account.company = company;
    return AddAccount(account);
}

void StoresTest::Link(const std::string& qq, const std::string& friendqq, int black) {
    CentralExecute("insert into zsv_friend (qq,friendqq,black) values (" + qq + "," + friendqq +
                   "," + std::to_string(black) + ")");
}

void StoresTest::CentralExecute(const std::string& sql) {
    Execute(db::CADOEx::Store::Central, sql);
}

void StoresTest::LocalExecute(const std::string& sql) {
    Execute(db::CADOEx::Store::Local, sql);
}

std::vector<std::string> StoresTest::CentralRows(const std::string& sql,
                                                 const std::vector<std::string>& columns) {
    return Rows(db::CADOEx::Store::Central, sql, columns);
}

std::vector<std::string> StoresTest::LocalRows(const std::string& sql,
                                               const std::vector<std::string>& columns) {
    return Rows(db::CADOEx::Store::Local, sql, columns);
}

}  // namespace testing_support
