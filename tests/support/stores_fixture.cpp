#include "support/stores_fixture.h"

namespace testing_support {

namespace {

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

void StoresTest::SetUp() {
    std::string error;
    ASSERT_EQ(db::CreateLocalStore(db::kDefaultServer, false, error), db::CreateResult::Created)
        << error;
    ASSERT_EQ(db::CreateCentralStore(false, error), db::CreateResult::Created) << error;
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
