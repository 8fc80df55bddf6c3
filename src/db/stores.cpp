#include "db/stores.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "common/data_dir.h"
#include "common/text.h"
#include "db/central_schema.h"
#include "db/installation.h"
#include "db/local_schema.h"
#include "db/scramble.h"
#include "db/sql_text.h"
#include "db/sqlite_engine.h"
#include "session/session_context.h"

namespace db {

namespace {

// The operating guide: the six texts of the settings row, for a shop that starts to use the
// system. Line breaks are CR LF so that every client shows them as lines.
constexpr const char* kHelpTexts[6] = {
    // 维修操作流程
    "1. 客服接到报修后，在主菜单选择“创建工单”，填写客户、电话、详细地址和故障描述，"
    "选择作业方式和技术员，点击“创建工单”，系统自动通知技术员。\r\n"
    "2. 技术员在工单列表中双击新工单，需要协助时先在“协助维修”中选择协助技术员，"
    "再点击“技术员接单”。\r\n"
    "3. 维修中用到配件时，先向保管员领取配件，再在工单中点击“增加配件”出售给客户。\r\n"
    "4. 维修完成后填写维修结果、维修费和备注，点击“暂存结果”，核对无误后点击“上报结果”。\r\n"
    "5. 协助技术员点击“协助确认”，客服回访客户后点击“客服确认”，并对参与人员进行评价。\r\n"
    "6. 经理在“工单核算”中确认收到维修费和配件款后核算员工提成。",
    // 配件入库流程
    "1. 保管员收到新配件后，填写名称、型号、数量和仓库码，点击“申报入库”，"
    "系统自动通知经理确认。\r\n"
    "2. 经理核对配件后填写进价、售价和提成基数，点击“确认资料 入库待领用”；"
    "售价不能低于进价。\r\n"
    "3. 已确认的配件需要修改时，由经理先“授权”，保管员修改后再由经理重新确认。\r\n"
    "4. 进价只有经理能查看，保管员和技术员只看到售价。",
    // 配件销售流程
    "1. 技术员在配件列表中选择已确认的配件，填写数量，点击“领取配件”，系统通知保管员。\r\n"
    "2. 保管员核对后点击“出货到技术员”，把配件交给技术员。\r\n"
    "3. 技术员在工单中点击“增加配件”，选择所领配件和数量，出售给该工单的客户。\r\n"
    "4. 客户退回配件时，技术员在工单的配件情况中办理退货，配件回到技术员手中。\r\n"
    "5. 剩余配件由技术员申请“技术员退货”，保管员点击“收回技术员余货”收回库存。",
    // 工资核算流程
    "1. 工单维修完毕并经客服确认（有协助时还需协助技术员确认）后，出现在经理的“工单核算”中。\r\n"
    "2. 经理收到配件款后，选择配件行点击“确认收配件款”。\r\n"
    "3. 工单的配件款全部结算后，选择工单点击“确认收维修费”，系统按"
    "（维修费+配件提成基数）×提成比率为客服、协助和技术员计提提成，并通知本人。\r\n"
    "4. 每月在“核算发放工资与设置工资标准”中发放基本工资和应发提成，员工可查看本月工资单。",
    // 系统设置流程
    "1. 经理注册账号后登录，在“人力资源管理”中增加客服、技术员和保管员账号，"
    "新员工自动成为店内所有人员的联系人。\r\n"
    "2. "
    "在“财务管理”中设置客服、保管员和技术员的基本工资，以及客服提成、协助提成和维修提成的百分比，"
    "点击“设置工资标准”；新标准在经理下次登录后生效。\r\n"
    "3. 员工离职时在“人力资源管理”中删除其账号。\r\n"
    "4. 员工忘记密码请找经理查看；经理可在登录窗口通过“找回密码”找回。",
    // 操作指南
    "欢迎使用启泰协同维修管理。\r\n"
    "每位员工使用经理分配的账号登录，登录后可以看到本店联系人，双击联系人即可聊天；"
    "对方不在线时消息会在其下次登录时送达。\r\n"
    "工单、配件和工资的每一步操作都会自动通知相关人员，请留意闪动的消息按钮。\r\n"
    "客服负责建单和回访，技术员负责接单、维修和领用配件，保管员负责配件入库和发放，"
    "经理负责配件定价、工单核算、工资发放和员工管理。\r\n"
    "建议每天下班前退出程序，以便系统记录在线时间。",
};

struct Department {
    int id;
    const char* name;
    int father;
};

constexpr Department kDepartments[] = {
    {1, "市场营销部", 0}, {2, "社区工程部", 0}, {3, "远程技术部", 0}, {4, "客服中心", 1},
    {5, "配件仓库", 1},   {6, "上门维修组", 2}, {7, "送修维修组", 2},
};

std::string Quote(std::string_view text) {
    return "'" + SqlText(text) + "'";
}

bool Fail(std::string& error, const std::string& what, const CADOEx& db) {
    error = what + (db.LastError().empty() ? "" : ": " + db.LastError());
    return false;
}

CreateResult Failed(std::string& error, const std::string& what, const CADOEx& db) {
    Fail(error, what, db);
    return CreateResult::Failed;
}

// Removes a SQLite file with the journal files beside it; an old write-ahead log left beside
// a new database would be replayed into it.
bool RemoveSqliteFile(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm", "-journal", ""}) {
        std::filesystem::path part = file;
        part += suffix;
        std::filesystem::remove(part, ec);
        if (ec) {
            error = "cannot remove " + part.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

// A fresh SQLite file for a store; an existing one is kept unless `replace` is set.
CreateResult NewSqliteFile(const std::filesystem::path& file, const std::string& what, bool replace,
                           std::string& error) {
    if (std::filesystem::exists(file)) {
        if (!replace) {
            error = what + " " + file.string() + " exists already";
            return CreateResult::AlreadyThere;
        }
        if (!RemoveSqliteFile(file, error)) {
            return CreateResult::Failed;
        }
    }
    if (!common::EnsureDataDir()) {
        error = "cannot create the data directory " + common::DataDir().string();
        return CreateResult::Failed;
    }
    return SqliteEngine::CreateFile(file, error) ? CreateResult::Created : CreateResult::Failed;
}

std::string RandomPassword() {
    std::random_device random;
    std::uniform_int_distribution<int> digit(0, 9);
    std::string password;
    for (int i = 0; i < 6; ++i) {
        password.push_back(static_cast<char>('0' + digit(random)));
    }
    return password;
}

// The first value of a one-column query, trailing blanks removed; empty when there is none.
std::string FirstValue(CADOEx& db, const std::string& sql, const std::string& column) {
    std::vector<std::string> rows;
    if (!db.QueryColumn(sql, column, rows) || rows.empty()) {
        return "";
    }
    return common::TrimRight(rows.front());
}

bool WriteInstallRow(CADOEx& db, const std::string& name, const std::string& value,
                     std::string& error) {
    if (!db.Execute("delete from install where name = " + Quote(name)) ||
        !db.Execute("insert into install (name, value) values (" + Quote(name) + ", " +
                    Quote(value) + ")")) {
        return Fail(error, "cannot write the installation setting " + name, db);
    }
    return true;
}

// Central tables without the settings row and without any account: made by hand from the
// shipped script, waiting to be filled.
bool HoldsNothing(Engine& engine) {
    ResultSet rows;
    for (const char* table : {"zsv_about", "zsv_quser"}) {
        if (!engine.Run(std::string("select count(*) from ") + table, rows) ||
            rows.rows.size() != 1 || rows.rows[0].empty() || rows.rows[0][0].value_or("") != "0") {
            return false;
        }
    }
    return true;
}

}  // namespace

ScopedStore::ScopedStore(CADOEx::Store store)
    : db_(store == CADOEx::Store::Central ? CentralDb : LocalDb) {
    if (db_.IsOpen()) {
        return;
    }
    const bool central = store == CADOEx::Store::Central;
    const std::string connection =
        central ? CentralConnectionString(SessionContext.CurrentIp) : LocalConnectionString();
    if (!db_.Open(connection)) {
        error_ = std::string("cannot open the ") +
                 (central ? "central database at " + SessionContext.CurrentIp : "local store") +
                 ": " + db_.LastError();
        return;
    }
    opened_ = true;
}

ScopedStore::~ScopedStore() {
    if (opened_) {
        db_.Close();
    }
}

CreateResult CreateCentralStore(bool replace, std::string& error) {
    const Installation& installation = CurrentInstallation();
    const std::unique_ptr<Engine> engine = MakeCentralEngine(installation);
    if (engine == nullptr) {
        error = "this build has no engine \"" + installation.engine + "\" for the central database";
        return CreateResult::Failed;
    }
    const Dialect dialect = engine->SqlDialect();
    const std::string schema = CentralSchemaSql(dialect);
    if (schema.empty()) {
        error = "there is no central schema for the engine \"" + installation.engine + "\" yet";
        return CreateResult::Failed;
    }
    const std::string connection = CentralConnectionString(SessionContext.CurrentIp);
    CentralDb.Close();
    if (dialect == Dialect::Sqlite) {
        const CreateResult file = NewSqliteFile(SqliteEngine::FileFor(connection),
                                                "the central database", replace, error);
        if (file != CreateResult::Created) {
            return file;
        }
    }
    if (!engine->Open(connection)) {
        error = "cannot open the central database at " + SessionContext.CurrentIp + ": " +
                engine->Error();
        return CreateResult::Failed;
    }
    ResultSet rows;
    // On a server the database itself is the installation's; its tables tell whether the
    // schema is there already.
    if (engine->Run("select count(*) from zsv_quser", rows)) {
        if (!replace) {
            if (HoldsNothing(*engine)) {
                return CreateResult::Created;
            }
            error =
                "the central database at " + SessionContext.CurrentIp + " has its tables already";
            return CreateResult::AlreadyThere;
        }
        if (!engine->Run(DropCentralSchemaSql(dialect), rows)) {
            error = "cannot drop the central tables: " + engine->Error();
            return CreateResult::Failed;
        }
    }
    if (!engine->Run(schema, rows)) {
        error = "cannot create the central schema: " + engine->Error();
        return CreateResult::Failed;
    }
    return CreateResult::Created;
}

bool InitCentralData(const CentralSettings& settings, std::string& platform_password,
                     std::string& error) {
    ScopedStore store(CADOEx::Store::Central);
    if (!store.IsOpen()) {
        error = store.Error();
        return false;
    }
    CADOEx& db = store.Db();
    const std::string server = Quote(settings.server);
    const std::string webside =
        settings.webside.empty() ? "http://" + settings.server + "/qitai/" : settings.webside;
    std::string sql =
        "insert into zsv_about (id,ClientVersion,Upgrade,webside,CenterIp1,CenterIp2,CurrentIp,"
        "GroupPort,SaveDialog,Port_server,Port_3389,Port_radmin,Popup,Popup1,help1,help2,help3,"
        "help4,help5,help6) values (1," +
        Quote(settings.client_version) + "," + std::to_string(settings.upgrade) + "," +
        Quote(webside) + "," + server + "," + server + "," + server + ",0," +
        Quote(settings.save_dialog) + "," + std::to_string(settings.port_server) + ",3389,0,'0',''";
    for (const char* help : kHelpTexts) {
        sql += "," + Quote(help);
    }
    sql += ")";
    if (!db.Execute(sql)) {
        return Fail(error, "cannot write the settings row", db);
    }

    // The platform operator's account is numbered by the installation, not by the identity.
    // It has no role, so it can chat with the shops but opens none of their windows.
    platform_password = RandomPassword();
    const std::string platform = std::to_string(kPlatformAccount);
    if (!db.Execute(ExplicitIdentityInsert(
            "zsv_quser",
            "insert into zsv_quser (id,qq,passwordd,name,sex,age,job,u_kind,manager_id,"
            "manager,company_name,regip,regdate,logins,score,approve,pic) values (" +
                platform + "," + platform + "," + Quote(platform_password) +
                ",'青禾','男',0,'',0,0,'','青禾'," + server + ",getdate(),0,0,1,0)",
            CentralDialect(CurrentInstallation())))) {
        return Fail(error, "cannot create the platform account " + platform, db);
    }

    for (const Department& department : kDepartments) {
        if (!db.Execute("insert into zsv_department (id,name,fatherid) values (" +
                        std::to_string(department.id) + "," + Quote(department.name) + "," +
                        std::to_string(department.father) + ")")) {
            return Fail(error, "cannot create the department tree", db);
        }
    }
    return true;
}

std::string CreateAccount(const NewAccount& account, std::string& error) {
    if (common::Trim(account.name).empty()) {
        error = "an account needs a name";
        return "";
    }
    if (!common::IsDigits(account.role)) {
        error = "the role code \"" + account.role + "\" is not a number";
        return "";
    }
    ScopedStore store(CADOEx::Store::Central);
    if (!store.IsOpen()) {
        error = store.Error();
        return "";
    }
    CADOEx& db = store.Db();

    const bool manager = account.manager.empty();
    std::string superior = std::to_string(kPlatformAccount);
    std::string superior_name = "青禾";
    std::string company = account.company;
    if (!manager) {
        if (!common::IsDigits(account.manager)) {
            error = "the manager's account \"" + account.manager + "\" is not a number";
            return "";
        }
        std::vector<std::string> rows;
        if (!db.QueryRows("select name, company_name from zsv_quser where qq = " + account.manager,
                          {"name", "company_name"}, rows, kSeparator)) {
            error = "there is no manager " + account.manager;
            return "";
        }
        superior = account.manager;
        superior_name = RowField(rows.front(), 1);
        company = RowField(rows.front(), 2);
    }
    const std::string pic = account.sex == "女" ? "1" : "0";
    const std::string regip = Quote(account.regip);
    if (!db.Execute(
            "insert into zsv_quser (passwordd,name,idcard,sex,server_area,telephone,regip,lastip,"
            "job,regdate,logins,score,manager_id,manager,u_kind,age,approve,address,company_name,"
            "pic,c_kind,department) values (" +
            Quote(account.password) + "," + Quote(account.name) + "," + Quote(account.idcard) +
            "," + Quote(account.sex) + "," + Quote(account.server_area) + "," +
            Quote(account.telephone) + "," + regip + "," + regip + "," +
            Quote(session::RoleName(account.role)) + ",getdate(),0,0," + superior + "," +
            Quote(superior_name) + "," + account.role + "," + SqlInteger(account.age) + ",1," +
            Quote(account.address) + "," + Quote(company) + "," + pic + "," +
            Quote(manager ? account.trade : "") + "," + Quote(account.department) + ")")) {
        Fail(error, "cannot create the account of " + account.name, db);
        return "";
    }
    // The new row is the newest with its identity card, telephone and computer address; its
    // account number is its identity.
    const std::string id =
        FirstValue(db,
                   "select id from zsv_quser where idcard = " + Quote(account.idcard) +
                       " and telephone = " + Quote(account.telephone) + " and regip = " + regip +
                       " order by id desc",
                   "id");
    if (id.empty() || !db.Execute("update zsv_quser set qq = id where id = " + id)) {
        Fail(error, "cannot number the account of " + account.name, db);
        return "";
    }
    return id;
}

bool LinkShopMember(const std::string& account, const std::string& manager, std::string& error) {
    if (!common::IsDigits(account) || !common::IsDigits(manager)) {
        error = "accounts are numbers: \"" + account + "\", \"" + manager + "\"";
        return false;
    }
    ScopedStore store(CADOEx::Store::Central);
    if (!store.IsOpen()) {
        error = store.Error();
        return false;
    }
    CADOEx& db = store.Db();
    std::vector<std::string> members;
    if (!db.QueryColumn(
            "select qq from zsv_quser where manager_id = " + manager + " or qq = " + manager, "qq",
            members)) {
        return Fail(error, "cannot read the members of the shop of " + manager, db);
    }
    for (const std::string& member_text : members) {
        const std::string member = common::TrimRight(member_text);
        if (!db.Execute("insert into zsv_friend (qq,friendqq,black) values (" + account + "," +
                        member + ",0 )") ||
            (member != account &&
             !db.Execute("insert into zsv_friend (qq,friendqq,black) values (" + member + "," +
                         account + ",0 )"))) {
            return Fail(error, "cannot link " + account + " with " + member, db);
        }
    }
    return true;
}

CreateResult CreateDemoShop(bool replace, std::vector<DemoAccount>& accounts, std::string& error) {
    accounts.clear();
    ScopedStore store(CADOEx::Store::Central);
    if (!store.IsOpen()) {
        error = store.Error();
        return CreateResult::Failed;
    }
    CADOEx& db = store.Db();
    const std::string company = Quote(kDemoCompany);
    std::vector<std::string> existing;
    db.QueryColumn("select qq from zsv_quser where company_name = " + company, "qq", existing);
    if (!existing.empty()) {
        if (!replace) {
            error = std::string("the demo shop ") + kDemoCompany + " exists already";
            return CreateResult::AlreadyThere;
        }
        const std::string members =
            "(select qq from zsv_quser where company_name = " + company + ")";
        if (!db.Execute("delete from zsv_friend where qq in " + members + " or friendqq in " +
                        members) ||
            !db.Execute("delete from zsv_group where qq2 in " + members) ||
            !db.Execute("delete from zsv_quser where company_name = " + company)) {
            return Failed(error, "cannot remove the old demo shop", db);
        }
    }

    struct Person {
        const char* name;
        const char* role;
        const char* sex;
        const char* age;
        const char* telephone;
        int department;
    };
    constexpr Person kPeople[] = {
        {"张建国", session::kRoleManager, "男", "45", "13800010001", 1},
        {"李晓梅", session::kRoleService, "女", "26", "13800010002", 4},
        {"王志强", session::kRoleTechnician, "男", "32", "13800010003", 6},
        {"刘海涛", session::kRoleTechnician, "男", "28", "13800010004", 7},
        {"陈秀英", session::kRoleStorekeeper, "女", "38", "13800010005", 5},
    };
    std::string manager;
    for (const Person& person : kPeople) {
        const Department& department = kDepartments[person.department - 1];
        NewAccount account;
        account.name = person.name;
        account.role = person.role;
        account.password = RandomPassword();
        account.manager = manager;
        account.company = kDemoCompany;
        account.sex = person.sex;
        account.age = person.age;
        account.telephone = person.telephone;
        account.server_area = "城区";
        account.address = "文化路18号";
        account.department = department.name;
        const std::string qq = CreateAccount(account, error);
        if (qq.empty()) {
            return CreateResult::Failed;
        }
        if (manager.empty()) {
            manager = qq;
        }
        if (!LinkShopMember(qq, manager, error)) {
            return CreateResult::Failed;
        }
        if (!db.Execute("insert into zsv_group (qq2,departmentid,department,rank) values (" + qq +
                        "," + std::to_string(department.id) + "," + Quote(department.name) + "," +
                        (qq == manager ? "1" : "2") + ")")) {
            return Failed(error, "cannot put " + qq + " into its department", db);
        }
        accounts.push_back({qq, account.password, person.role, person.name});
    }
    // A wage standard so that settling and paying work at once: rates as fractions.
    if (!db.Execute("update zsv_quser set TiCheng_S=0.05, TiCheng_E=0.1, TiCheng_T=0.2, "
                    "JiBen_S=2000, JiBen_E=1800, JiBen_T=2500 where qq = " +
                    manager)) {
        return Failed(error, "cannot set the demo shop's wage standard", db);
    }
    return CreateResult::Created;
}

CreateResult CreateLocalStore(const std::string& server, bool replace, std::string& error) {
    const std::string connection = LocalConnectionString();
    LocalDb.Close();
    const CreateResult file =
        NewSqliteFile(SqliteEngine::FileFor(connection), "the local store", replace, error);
    if (file != CreateResult::Created) {
        return file;
    }
    {
        SqliteEngine engine;
        ResultSet rows;
        if (!engine.Open(connection) || !engine.Run(LocalSchemaSql(), rows)) {
            error = "cannot create the local store's tables: " + engine.Error();
            return CreateResult::Failed;
        }
    }
    ScopedStore store(CADOEx::Store::Local);
    if (!store.IsOpen()) {
        error = store.Error();
        return CreateResult::Failed;
    }
    const std::string address = Quote(ScrambleAddress(server));
    if (!store.Db().Execute("insert into about (id,lastqq,CenterIp1,CenterIp2,CurrentIp) values "
                            "(1,''," +
                            address + "," + address + "," + address + ")")) {
        return Failed(error, "cannot write the local settings row", store.Db());
    }
    ReloadInstallation();
    return CreateResult::Created;
}

bool WriteLocalSettings(const LocalSettings& settings, std::string& error) {
    {
        // A store made before the installation settings existed gets their table.
        SqliteEngine engine;
        ResultSet rows;
        if (!engine.Open(LocalConnectionString()) ||
            !engine.Run(SqliteTableSql(InstallTable()), rows)) {
            error = "cannot open the local store: " + engine.Error();
            return false;
        }
    }
    ScopedStore store(CADOEx::Store::Local);
    if (!store.IsOpen()) {
        error = store.Error();
        return false;
    }
    CADOEx& db = store.Db();
    if (settings.server) {
        const std::string address = Quote(ScrambleAddress(*settings.server));
        if (!db.Execute("update about set CenterIp1=" + address + ",CenterIp2=" + address +
                        ",CurrentIp=" + address)) {
            return Fail(error, "cannot write the server address", db);
        }
        if (db.RowsAffected() == 0 &&
            !db.Execute("insert into about (id,lastqq,CenterIp1,CenterIp2,CurrentIp) values "
                        "(1,''," +
                        address + "," + address + "," + address + ")")) {
            return Fail(error, "cannot write the local settings row", db);
        }
    }
    const std::pair<const char*, const std::optional<std::string>*> rows[] = {
        {"engine", &settings.engine},
        {"odbc_driver", &settings.odbc_driver},
        {"odbc_dialect", &settings.odbc_dialect},
        {"odbc_options", &settings.odbc_options},
        {"default_server", &settings.default_server},
    };
    for (const auto& [name, value] : rows) {
        if (*value && !WriteInstallRow(db, name, **value, error)) {
            return false;
        }
    }
    ReloadInstallation();
    return true;
}

std::string StoredServerAddress() {
    ScopedStore store(CADOEx::Store::Local);
    if (!store.IsOpen()) {
        return "";
    }
    return UnscrambleAddress(
        FirstValue(store.Db(), "select CurrentIp from about where id = 1", "CurrentIp"));
}

}  // namespace db
