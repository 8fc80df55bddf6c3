// Tests that stand on both stores: a fresh data directory with the local store (server address
// 127.0.0.1) and the central database made as qitai-admin makes them (schema, settings row id 1,
// platform account 100000, departments), the scripted shell installed. Accounts are added the
// way the registration and staff windows add them, so the first one is 100001.
//
// StoresTest stands on the embedded engine. CentralEnginesTest is the same fixture for TEST_P:
// instantiated over CentralEngines(), every test runs on the embedded engine and, where a test
// server is configured, on that server engine, with the same expectations.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "db/stores.h"
#include "support/scripted_shell.h"
#include "support/temp_home.h"

namespace testing_support {

// An engine for the central database.
struct CentralEngine {
    std::string name;            // "sqlite", "mariadb", "postgres": the last part of test names
    std::string odbc_driver{};   // empty for the embedded engine
    std::string odbc_dialect{};  // "mariadb", "postgres" ...
    std::string odbc_options{};  // "PORT=...;CHARSET=..."
    std::string server = "127.0.0.1";
    // False for a server engine when the environment names no test server: its tests are
    // listed all the same (so the list never depends on the environment) and skip themselves.
    bool configured = true;

    bool IsServer() const { return !odbc_dialect.empty(); }
};

// The embedded engine and the two server engines. MariaDB's is configured when the
// environment names its test server (QITAI_TEST_ODBC_DRIVER, QITAI_TEST_ODBC_OPTIONS,
// QITAI_TEST_ODBC_SERVER, as `scripts/test-server env` prints them), PostgreSQL's when it names
// that one (QITAI_TEST_PG_DRIVER, QITAI_TEST_PG_OPTIONS, QITAI_TEST_PG_SERVER, as
// `scripts/test-server-pg env` prints them).
std::vector<CentralEngine> CentralEngines();
// The engine's name, for the test names and messages.
std::string EngineName(const ::testing::TestParamInfo<CentralEngine>& info);
void PrintTo(const CentralEngine& engine, std::ostream* out);

// Makes the local store of the data directory (it must exist) name the engine for the central
// database, and points SessionContext at the engine's server.
void UseCentralEngine(const CentralEngine& engine);
// Empties the central database of a server engine, with the tables as the schema defines them
// now and every identity back at its first number. The data directory's local store must name
// the engine. A failure fails the test.
void ResetServerDatabase();

class StoresTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // Both stores on the engine, as SetUp makes them on the embedded one.
    void SetUpStores(const CentralEngine& engine);

    // An account of the role code ("1", "2", "4", "5") with the password. With a manager's
    // account it is that shop's employee and linked with every member both ways (state 0);
    // without one it is a manager under the platform, linked with himself. Returns its number;
    // a failure fails the test and returns "".
    std::string AddAccount(const std::string& name, const std::string& role,
                           const std::string& password = "123456", const std::string& manager = "");
    // The same with every field of the row chosen by the test.
    std::string AddAccount(const db::NewAccount& account);
    // A manager and his shop's name.
    std::string AddManager(const std::string& name, const std::string& password = "123456",
                           const std::string& company = "测试维修店");
    // One contact row (qq, friendqq, black).
    void Link(const std::string& qq, const std::string& friendqq, int black);

    // Statements and queries for arranging and checking the stores. Each opens the store when
    // it is not open and leaves it as it found it. Rows come back with their columns joined by
    // "*@#$*", NULL as one space; a failed statement fails the test.
    void CentralExecute(const std::string& sql);
    void LocalExecute(const std::string& sql);
    std::vector<std::string> CentralRows(const std::string& sql,
                                         const std::vector<std::string>& columns);
    std::vector<std::string> LocalRows(const std::string& sql,
                                       const std::vector<std::string>& columns);

    TempHome home_;
    ScriptedShell shell_;
};

class CentralEnginesTest : public StoresTest, public ::testing::WithParamInterface<CentralEngine> {
  protected:
    void SetUp() override {
        if (!GetParam().configured) {
            GTEST_SKIP() << "no test server: scripts/test starts one";
        }
        SetUpStores(GetParam());
    }
};

}  // namespace testing_support
