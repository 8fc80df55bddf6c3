// Creating and filling the two stores as an installation does: the central database with its
// settings row, the platform account and the department tree, a ready demo shop, and the local
// store with the scrambled server address and the installation settings. Used by qitai-admin
// and by the tests. Failures come back as false with a readable reason; nothing here shows a
// message box or ends the process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/cadoex.h"

namespace db {

inline constexpr const char* kDefaultServer = "127.0.0.1";
inline constexpr int kDefaultServerPort = 9877;

// Opens one of the two stores for a piece of work when it is not open yet, with the usual
// connection string but without the client's message boxes and retries, and closes it again
// at the end of the scope when it opened it. The central address is SessionContext.CurrentIp.
class ScopedStore {
  public:
    explicit ScopedStore(CADOEx::Store store);
    ~ScopedStore();
    ScopedStore(const ScopedStore&) = delete;
    ScopedStore& operator=(const ScopedStore&) = delete;

    bool IsOpen() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    CADOEx& Db() { return db_; }

  private:
    CADOEx& db_;
    bool opened_ = false;
    std::string error_;
};

// What a creation did: made the store (or shop), found one there already and left it alone, or
// failed with a reason.
enum class CreateResult { Created, AlreadyThere, Failed };

// Creates the central schema on the engine the installation names (for the embedded engine the
// file ZSV.db in the data directory) at SessionContext.CurrentIp. An existing database is left
// alone, unless `replace` is set: then its tables are dropped and made anew. On a server, tables
// that are there but hold no settings row and no account (made from the shipped script) are
// taken as they are.
CreateResult CreateCentralStore(bool replace, std::string& error);

struct CentralSettings {
    std::string server = kDefaultServer;  // CenterIp1, CenterIp2 and CurrentIp
    std::string client_version = "1.7";
    int upgrade = 0;
    int port_server = kDefaultServerPort;
    std::string save_dialog = "1";
    std::string webside;  // download address; empty: on the server, path /qitai/
};

// Writes the settings row id 1 with the operating guide's six texts, the platform account
// 100000 (its fresh random password comes back in `platform_password`) and the department tree
// into a new central database.
bool InitCentralData(const CentralSettings& settings, std::string& platform_password,
                     std::string& error);

// An account as the registration and staff windows create one.
struct NewAccount {
    std::string name;
    std::string role =
        "4";  // role code: 1 manager, 2 customer service, 4 technician, 5 storekeeper
    std::string password;
    std::string manager;  // the shop manager's account; empty: a manager under the platform
    std::string company;  // the shop's name for a manager; employees carry their manager's
    std::string trade = "电脑维修";  // c_kind, managers only
    std::string sex = "男";
    std::string age = "0";
    std::string idcard;
    std::string telephone;
    std::string server_area;
    std::string address;
    std::string regip = "127.0.0.1";  // the address of the computer that creates the row
    std::string department;
};

// Inserts the account row without qq, sets qq = id and returns the new number; empty (with the
// reason) when the account could not be made. It is not linked to anybody yet.
std::string CreateAccount(const NewAccount& account, std::string& error);

// Links an account with every member of the shop of `manager` both ways with state 0, itself
// included, as a new staff account is linked. For a manager's own shop pass his account twice.
bool LinkShopMember(const std::string& account, const std::string& manager, std::string& error);

struct DemoAccount {
    std::string qq;
    std::string password;
    std::string role;  // role code
    std::string name;
};

// The demo shop's name; its accounts carry it as their company name.
inline constexpr const char* kDemoCompany = "启泰演示维修店";

// A ready demo shop: one manager with a wage standard, one customer service, two technicians and
// one storekeeper, linked as staff accounts are, with fresh random passwords. An existing demo
// shop is left alone, unless `replace` is set: then its accounts and their contact rows go first.
CreateResult CreateDemoShop(bool replace, std::vector<DemoAccount>& accounts, std::string& error);

// Creates the local store with its tables and the about row id 1 holding `server` scrambled.
// An existing store is left alone unless `replace` is set.
CreateResult CreateLocalStore(const std::string& server, bool replace, std::string& error);

// What `WriteLocalSettings` changes; a value left out stays as it is.
struct LocalSettings {
    std::optional<std::string> server;  // about.CenterIp1, CenterIp2 and CurrentIp, scrambled
    std::optional<std::string> engine;  // install rows
    std::optional<std::string> odbc_driver;
    std::optional<std::string> odbc_dialect;
    std::optional<std::string> odbc_options;  // "KEY=value;..." for the driver: port, character set
    std::optional<std::string> default_server;
};

bool WriteLocalSettings(const LocalSettings& settings, std::string& error);

// The central server address the local store keeps (unscrambled); empty when there is none.
std::string StoredServerAddress();

}  // namespace db
