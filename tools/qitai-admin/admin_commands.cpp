#include "admin_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "db/central_schema.h"
#include "db/installation.h"
#include "db/stores.h"
#include "session/session_context.h"

namespace admin {

namespace {

int Failure(const std::string& error) {
    std::fprintf(stderr, "qitai-admin: %s\n", error.c_str());
    return 1;
}

int Refusal(const std::string& error, const char* what) {
    return Failure(error + "; --force " + what);
}

// The central server as the client finds it: the address the local store keeps, else the
// default.
std::string CentralServer() {
    std::string address = db::StoredServerAddress();
    if (address.empty()) {
        address = db::kDefaultServer;
    }
    SessionContext.CurrentIp = address;
    return address;
}

}  // namespace

int RunInit(const Options& options) {
    const std::string server = CentralServer();
    std::string error;
    switch (db::CreateCentralStore(options.force, error)) {
        case db::CreateResult::Created:
            break;
        case db::CreateResult::AlreadyThere:
            return Refusal(error, "recreates it empty");
        case db::CreateResult::Failed:
            return Failure(error);
    }
    db::CentralSettings settings;
    settings.server = server;
    std::string platform_password;
    if (!db::InitCentralData(settings, platform_password, error)) {
        return Failure(error);
    }
    std::printf("central database created (engine %s, server %s)\n",
                db::CurrentInstallation().engine.c_str(), server.c_str());
    std::printf("settings row 1: client version %s, datagram port %d, archive %s\n",
                settings.client_version.c_str(), settings.port_server,
                settings.save_dialog.c_str());
    std::printf("platform account %lld, password %s\n", db::kPlatformAccount,
                platform_password.c_str());
    return 0;
}

int RunDemo(const Options& options) {
    CentralServer();
    std::string error;
    std::vector<db::DemoAccount> accounts;
    switch (db::CreateDemoShop(options.force, accounts, error)) {
        case db::CreateResult::Created:
            break;
        case db::CreateResult::AlreadyThere:
            return Refusal(error, "replaces it");
        case db::CreateResult::Failed:
            return Failure(error);
    }
    std::printf("demo shop %s\n", db::kDemoCompany);
    std::printf("账号\t密码\t岗位\t姓名\n");
    for (const db::DemoAccount& account : accounts) {
        std::printf("%s\t%s\t%s\t%s\n", account.qq.c_str(), account.password.c_str(),
                    session::RoleName(account.role).c_str(), account.name.c_str());
    }
    return 0;
}

int RunLocal(const Options& options) {
    std::string error;
    switch (db::CreateLocalStore(*options.local.server, options.force, error)) {
        case db::CreateResult::Created:
        case db::CreateResult::AlreadyThere:  // an existing store is updated
            break;
        case db::CreateResult::Failed:
            return Failure(error);
    }
    if (!db::WriteLocalSettings(options.local, error)) {
        return Failure(error);
    }
    const db::Installation& installation = db::CurrentInstallation();
    std::printf("local store ready: server %s, central engine %s\n", options.local.server->c_str(),
                installation.engine.c_str());
    return 0;
}

int RunQuery(const Options& options) {
    CentralServer();
    db::ScopedStore central(db::CADOEx::Store::Central);
    if (!central.IsOpen()) {
        return Failure(central.Error());
    }
    db::CADOEx& db = central.Db();
    if (!db.Execute(options.sql)) {
        return Failure("the statement failed: " + db.LastError());
    }
    for (const std::string& row : db.RecordRows(db::kSeparator)) {
        std::printf("%s\n", row.c_str());
    }
    if (db.RecordColumns().empty()) {
        std::fprintf(stderr, "rows changed: %lld\n", db.RowsAffected());
    }
    return 0;
}

int RunSchema(const Options& options) {
    std::fputs(db::CentralSchemaSql(db::DialectNamed(options.dialect)).c_str(), stdout);
    return 0;
}

}  // namespace admin
