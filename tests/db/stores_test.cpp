// What the installation writes into the stores: the settings row, the departments, accounts
// linked as shops link them, the demo shop, and the local installation settings.
#include "db/stores.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "db/installation.h"
#include "support/stores_fixture.h"

namespace {

using testing_support::CentralEnginesTest;
using testing_support::StoresTest;

using StoresOnEveryEngine = CentralEnginesTest;

const std::string kSep = db::kSeparator;

std::string Field(const std::string& row, int n) {
    return db::CADOEx::GetField(row, n, kSep);
}

TEST_P(StoresOnEveryEngine, TheSettingsRowIsWhatTheLoginAndTheGuideRead) {
    const auto rows = CentralRows(
        "select ClientVersion,CenterIp1,CenterIp2,CurrentIp,GroupPort,Upgrade,SaveDialog,webside,"
        "Port_server,Port_3389,Port_radmin from zsv_about where id = 1",
        {"ClientVersion", "CenterIp1", "CenterIp2", "CurrentIp", "GroupPort", "Upgrade",
         "SaveDialog", "webside", "Port_server", "Port_3389", "Port_radmin"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Field(rows[0], 1), "1.7");
    EXPECT_EQ(Field(rows[0], 4), "127.0.0.1");
    EXPECT_EQ(Field(rows[0], 6), "0");
    EXPECT_EQ(Field(rows[0], 7), "1");
    EXPECT_EQ(Field(rows[0], 9), std::to_string(db::kDefaultServerPort));
    EXPECT_EQ(CentralRows("select Popup, Popup1 from zsv_about where id = 1", {"Popup", "Popup1"}),
              std::vector<std::string>{"0" + kSep});

    const auto help =
        CentralRows("select help1,help2,help3,help4,help5,help6 from zsv_about where id =1",
                    {"help1", "help2", "help3", "help4", "help5", "help6"});
    ASSERT_EQ(help.size(), 1u);
    for (int n = 1; n <= 6; ++n) {
        const std::string text = Field(help[0], n);
        EXPECT_NE(text.find("\r\n"), std::string::npos) << "help" << n << " has several lines";
    }
}

TEST_P(StoresOnEveryEngine, TheDepartmentTreeHangsTogether) {
    const auto rows = CentralRows("select id,name,fatherid from zsv_department order by id",
                                  {"id", "name", "fatherid"});
    ASSERT_FALSE(rows.empty());
    std::map<std::string, std::string> parents;
    for (const auto& row : rows) {
        parents[Field(row, 1)] = Field(row, 3);
    }
    int top = 0;
    for (const auto& [id, father] : parents) {
        if (father == "0") {
            ++top;
        } else {
            EXPECT_EQ(parents.count(father), 1u) << "department " << id;
        }
    }
    EXPECT_GT(top, 0);
}

TEST_P(StoresOnEveryEngine, ANewEmployeeIsLinkedWithEveryMemberOfTheShopBothWays) {
    const std::string manager = AddManager("张伟");
    const std::string service = AddAccount("李娜", "2", "1", manager);
    const std::string storekeeper = AddAccount("陈静", "5", "1", manager);
    const std::string other_shop = AddManager("外店经理");
    const auto count = [&](const std::string& qq) {
        return CentralRows("select count(*) as n from zsv_friend where black = 0 and qq = " + qq,
                           {"n"});
    };
    ASSERT_EQ(count(manager), std::vector<std::string>{"3"});

    const std::string technician = AddAccount("王强", "4", "1", manager);
    EXPECT_EQ(count(technician), std::vector<std::string>{"4"});  // three members and itself
    for (const std::string& member : {manager, service, storekeeper}) {
        EXPECT_EQ(count(member), std::vector<std::string>{"4"}) << member;
        EXPECT_EQ(CentralRows("select qq from zsv_friend where qq = " + member +
                                  " and friendqq = " + technician,
                              {"qq"}),
                  std::vector<std::string>{member});
    }
    EXPECT_EQ(count(other_shop), std::vector<std::string>{"1"});
    EXPECT_EQ(CentralRows("select manager_id,manager,company_name,job,u_kind from zsv_quser where "
                          "qq = " +
                              technician,
                          {"manager_id", "manager", "company_name", "job", "u_kind"}),
              std::vector<std::string>{manager + kSep + "张伟" + kSep + "测试维修店" + kSep +
                                       "技术员" + kSep + "4"});
}

TEST_P(StoresOnEveryEngine, AccountTextsAreQuotedAndNumbersChecked) {
    db::NewAccount account;
    account.name = "O'Neil";
    account.password = "it's";
    account.role = "1";
    std::string error;
    const std::string qq = db::CreateAccount(account, error);
    ASSERT_FALSE(qq.empty()) << error;
    EXPECT_EQ(
        CentralRows("select name,passwordd from zsv_quser where qq = " + qq, {"name", "passwordd"}),
        std::vector<std::string>{"O'Neil" + kSep + "it's"});

    for (const auto& [role, manager] : std::vector<std::pair<std::string, std::string>>{
             {"4 or 1=1", qq}, {"4", qq + " or 1=1"}, {"", qq}}) {
        db::NewAccount bad;
        bad.name = "坏";
        bad.role = role;
        bad.manager = manager;
        EXPECT_EQ(db::CreateAccount(bad, error), "") << role << " / " << manager;
    }
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_quser where name = '坏'", {"n"}),
              std::vector<std::string>{"0"});
}

TEST_P(StoresOnEveryEngine, TheDemoShopHasOneAccountOfEachRoleLinkedAsStaff) {
    std::vector<db::DemoAccount> accounts;
    std::string error;
    ASSERT_EQ(db::CreateDemoShop(false, accounts, error), db::CreateResult::Created) << error;
    ASSERT_EQ(accounts.size(), 5u);
    std::vector<std::string> roles;
    for (const auto& account : accounts) {
        roles.push_back(account.role);
    }
    EXPECT_EQ(roles, (std::vector<std::string>{"1", "2", "4", "4", "5"}));

    const std::string manager = accounts[0].qq;
    for (const auto& account : accounts) {
        // The login's credential check with the printed password.
        const auto rows = CentralRows(
            "select qq, qlock, u_kind, Manager_id, Manager, company_name,name  from zsv_quser "
            "where qq = " +
                account.qq + " and passwordd = '" + account.password + "'",
            {"qq", "qlock", "u_kind", "Manager_id", "Manager", "company_name", "name"});
        ASSERT_EQ(rows.size(), 1u) << account.name;
        EXPECT_EQ(Field(rows[0], 2), "0");
        EXPECT_EQ(Field(rows[0], 3), account.role);
        EXPECT_EQ(Field(rows[0], 4), account.role == "1" ? "100000" : manager);
        EXPECT_EQ(Field(rows[0], 6), db::kDemoCompany);
        EXPECT_EQ(CentralRows(
                      "select count(*) as n from zsv_friend where black = 0 and qq = " + account.qq,
                      {"n"}),
                  std::vector<std::string>{"5"});
        EXPECT_EQ(
            CentralRows("select count(*) as n from zsv_group where qq2 = " + account.qq, {"n"}),
            std::vector<std::string>{"1"});
    }
    EXPECT_EQ(
        CentralRows("select TiCheng_S,TiCheng_E,TiCheng_T from zsv_quser where qq = " + manager,
                    {"TiCheng_S", "TiCheng_E", "TiCheng_T"}),
        std::vector<std::string>{"0.05" + kSep + "0.1" + kSep + "0.2"});

    // A second demo shop is refused; replacing it removes the old accounts and their links.
    std::vector<db::DemoAccount> again;
    EXPECT_EQ(db::CreateDemoShop(false, again, error), db::CreateResult::AlreadyThere);
    EXPECT_TRUE(again.empty());
    ASSERT_EQ(db::CreateDemoShop(true, again, error), db::CreateResult::Created) << error;
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_quser where qq = " + manager, {"n"}),
              std::vector<std::string>{"0"});
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_friend", {"n"}),
              std::vector<std::string>{"25"});
}

TEST_F(StoresTest, LocalSettingsChangeOnlyWhatIsGiven) {
    db::LocalSettings settings;
    settings.engine = "odbc";
    settings.odbc_driver = "PostgreSQL Unicode";
    settings.odbc_dialect = "postgres";
    std::string error;
    ASSERT_TRUE(db::WriteLocalSettings(settings, error)) << error;
    EXPECT_EQ(db::StoredServerAddress(), "127.0.0.1");

    db::LocalSettings server_only;
    server_only.server = "10.0.0.5";
    ASSERT_TRUE(db::WriteLocalSettings(server_only, error)) << error;
    EXPECT_EQ(db::StoredServerAddress(), "10.0.0.5");
    const db::Installation& installation = db::CurrentInstallation();
    EXPECT_EQ(installation.engine, "odbc");
    EXPECT_EQ(installation.odbc_driver, "PostgreSQL Unicode");
    EXPECT_EQ(installation.odbc_dialect, "postgres");
    EXPECT_EQ(installation.default_server, "");
    EXPECT_EQ(LocalRows("select count(*) as n from about", {"n"}), std::vector<std::string>{"1"});
}

TEST_F(StoresTest, ALocalStoreWithoutSettingsTablesGetsThem) {
    LocalExecute("drop table install");
    LocalExecute("delete from about");
    db::LocalSettings settings;
    settings.server = "10.0.0.6";
    settings.default_server = "10.0.0.9";
    std::string error;
    ASSERT_TRUE(db::WriteLocalSettings(settings, error)) << error;
    EXPECT_EQ(db::StoredServerAddress(), "10.0.0.6");
    EXPECT_EQ(LocalRows("select id from about", {"id"}), std::vector<std::string>{"1"});
    EXPECT_EQ(db::CurrentInstallation().default_server, "10.0.0.9");
}

INSTANTIATE_TEST_SUITE_P(Engines, StoresOnEveryEngine,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
