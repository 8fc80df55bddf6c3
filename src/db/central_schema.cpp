#include "db/central_schema.h"

namespace db {

namespace {

using K = ColumnKind;

std::vector<TableDef> MakeCentralTables() {
    std::vector<TableDef> tables;

    // One row per account, managers and employees alike; qq is set to id right after the
    // insert. Counters, ports and wage settings start at 0 so that they read back as numbers
    // and can be written back bare; a new account is logged out until its first log-in.
    tables.push_back(
        {.name = "zsv_quser",
         .columns = {{"id", K::Identity, ""},
                     {"qq", K::Integer, ""},
                     {"passwordd", K::Text, ""},
                     {"name", K::Text, ""},
                     {"sex", K::Text, ""},
                     {"age", K::Integer, "0"},
                     {"idcard", K::Text, ""},
                     {"telephone", K::Text, ""},
                     {"server_area", K::Text, ""},
                     {"address", K::Text, ""},
                     {"bank", K::Text, ""},
                     {"alipay", K::Text, ""},
                     {"company_name", K::Text, ""},
                     {"c_kind", K::Text, ""},
                     {"job", K::Text, ""},
                     {"u_kind", K::Integer, ""},
                     {"manager_id", K::Integer, ""},
                     {"manager", K::Text, ""},
                     {"pic", K::Integer, "0"},
                     {"department", K::Text, "''"},
                     {"regip", K::Text, ""},
                     {"regdate", K::DateTime, ""},
                     {"logins", K::Integer, "0"},
                     {"lasttime", K::DateTime, ""},
                     {"score", K::Integer, "0"},
                     {"approve", K::Integer, "1"},
                     {"qlock", K::Integer, "0"},
                     {"online", K::Integer, "3"},
                     {"lastip", K::Text, "''"},
                     {"lastport", K::Text, "''"},
                     {"Port_3389", K::Integer, "0"},
                     {"Port_radmin", K::Integer, "0"},
                     {"Port_control", K::Integer, "0"},
                     {"Port_audio", K::Integer, "0"},
                     {"Port_video", K::Integer, "0"},
                     {"Port_text", K::Integer, "0"},
                     {"Port_transfer", K::Integer, "0"},
                     {"Port_transfer2", K::Integer, "0"},
                     {"version", K::Text, ""},
                     {"TiCheng_S", K::Number, "0"},
                     {"TiCheng_E", K::Number, "0"},
                     {"TiCheng_T", K::Number, "0"},
                     {"TiCheng_M", K::Number, "0"},
                     {"JiBen_S", K::Number, "0"},
                     {"JiBen_E", K::Number, "0"},
                     {"JiBen_T", K::Number, "0"},
                     {"pj_good", K::Integer, "0"},
                     {"pj_rate", K::Number, "0"},
                     {"question", K::Text, ""},
                     {"answer", K::Text, ""}},
         .first_identity = kFirstAccount,
         .last_identity = kLastAccount,
         .indexes = {
             {{"qq"}, true}, {{"manager_id"}, false}, {{"idcard", "telephone", "regip"}, false}}});

    // One row per direction of a contact relation.
    tables.push_back({.name = "zsv_friend",
                      .columns = {{"id", K::Identity, ""},
                                  {"qq", K::Integer, ""},
                                  {"friendqq", K::Integer, ""},
                                  {"black", K::Integer, "0"},
                                  {"comment", K::Text, "''"}},
                      .indexes = {{{"qq", "friendqq"}, false}, {{"friendqq"}, false}}});

    tables.push_back(
        {.name = "zsv_department",
         .columns = {{"id", K::Integer, ""}, {"name", K::Text, ""}, {"fatherid", K::Integer, "0"}},
         .key = "id"});

    tables.push_back({.name = "zsv_group",
                      .columns = {{"qq2", K::Integer, ""},
                                  {"departmentid", K::Integer, ""},
                                  {"department", K::Text, ""},
                                  {"rank", K::Integer, "0"}},
                      .indexes = {{{"qq2"}, false}, {{"departmentid"}, false}}});

    // One row per log-in; endtime and onlinetime stay NULL until the log-out completes it.
    tables.push_back({.name = "zsv_login",
                      .columns = {{"qq", K::Integer, ""},
                                  {"ip", K::Text, ""},
                                  {"begintime", K::DateTime, ""},
                                  {"endtime", K::DateTime, ""},
                                  {"onlinetime", K::DateTime, ""}},
                      .indexes = {{{"qq"}, false}}});

    // Chat texts and notices waiting for an addressee who was logged out.
    tables.push_back({.name = "zsv_dialog",
                      .columns = {{"source", K::Integer, ""},
                                  {"target", K::Integer, ""},
                                  {"sourcename", K::Text, ""},
                                  {"targetname", K::Text, ""},
                                  {"speak", K::Text, ""},
                                  {"speakdate", K::DateTime, ""},
                                  {"sourceip", K::Text, ""},
                                  {"targetip", K::Text, ""},
                                  {"affirm", K::Integer, "0"}},
                      .indexes = {{{"target"}, false}}});

    // The conversation archive; speakdate is the sending client's clock as it wrote it.
    tables.push_back({.name = "zsv_dialogUpload",
                      .columns = {{"groupid", K::Integer, "0"},
                                  {"groupname", K::Text, "''"},
                                  {"source", K::Integer, ""},
                                  {"sourcename", K::Text, ""},
                                  {"sourceip", K::Text, ""},
                                  {"target", K::Integer, ""},
                                  {"targetname", K::Text, ""},
                                  {"targetip", K::Text, ""},
                                  {"speak", K::Text, ""},
                                  {"speakdate", K::Text, ""},
                                  {"upload", K::Integer, "1"}},
                      .indexes = {{{"source"}, false}, {{"target"}, false}}});

    // Platform settings; only the row with id 1 is read.
    tables.push_back({.name = "zsv_about",
                      .columns = {{"id", K::Integer, ""},         {"ClientVersion", K::Text, ""},
                                  {"Upgrade", K::Integer, "0"},   {"webside", K::Text, "''"},
                                  {"CenterIp1", K::Text, ""},     {"CenterIp2", K::Text, ""},
                                  {"CurrentIp", K::Text, ""},     {"GroupPort", K::Integer, "0"},
                                  {"SaveDialog", K::Text, ""},    {"Port_server", K::Integer, ""},
                                  {"Port_3389", K::Integer, "0"}, {"Port_radmin", K::Integer, "0"},
                                  {"Popup", K::Text, "'0'"},      {"Popup1", K::Text, "''"},
                                  {"help1", K::Text, "''"},       {"help2", K::Text, "''"},
                                  {"help3", K::Text, "''"},       {"help4", K::Text, "''"},
                                  {"help5", K::Text, "''"},       {"help6", K::Text, "''"}},
                      .key = "id"});

    // The files of the newest client. The update check writes FileDel bare into its look-up of
    // the local list, so it must never read back as NULL.
    tables.push_back({.name = "zsv_update",
                      .columns = {{"FileId", K::Integer, ""},
                                  {"FileName", K::Text, ""},
                                  {"FileVersion", K::Text, ""},
                                  {"FileUrl", K::Text, ""},
                                  {"FileDel", K::Integer, "0"}}});

    // Work orders. The number is text of twelve digits; statements that compare it with a bare
    // number still match because the text column gives the number its text form. It is the
    // key: two orders opened in the same second cannot share one number and so each other's
    // updates. Flags, ratings, the assistant and the settlement mark stay NULL until written.
    tables.push_back({.name = "zsv_order",
                      .columns = {{"WorkOrder", K::Text, ""},
                                  {"Client", K::Text, ""},
                                  {"Sex", K::Text, ""},
                                  {"Phone", K::Text, ""},
                                  {"Address", K::Text, ""},
                                  {"Area", K::Text, ""},
                                  {"Bug", K::Text, ""},
                                  {"serv_kind", K::Text, ""},
                                  {"Service", K::Text, ""},
                                  {"Service_id", K::Integer, ""},
                                  {"Technician", K::Text, ""},
                                  {"Technician_id", K::Integer, ""},
                                  {"Enginner", K::Text, ""},
                                  {"Enginner_id", K::Integer, ""},
                                  {"manager_id", K::Integer, ""},
                                  {"Time_accept", K::DateTime, ""},
                                  {"Time_arrive", K::DateTime, ""},
                                  {"Time_finish", K::DateTime, ""},
                                  {"Time_line_begin", K::DateTime, ""},
                                  {"Time_line_end", K::DateTime, ""},
                                  {"State", K::Text, ""},
                                  {"Result", K::Text, ""},
                                  {"Charge_Upkeep", K::Number, ""},
                                  {"Charge_parts", K::Number, ""},
                                  {"Charge_total", K::Number, ""},
                                  {"Charge_profit", K::Number, ""},
                                  {"Comment", K::Text, ""},
                                  {"PJ_client", K::Text, ""},
                                  {"Affirm_technician", K::Integer, ""},
                                  {"Affirm_enginner", K::Integer, ""},
                                  {"Affirm_service", K::Integer, ""},
                                  {"PJ_s2e", K::Text, ""},
                                  {"PJ_s2t", K::Text, ""},
                                  {"PJ_e2s", K::Text, ""},
                                  {"PJ_e2t", K::Text, ""},
                                  {"PJ_t2s", K::Text, ""},
                                  {"PJ_t2e", K::Text, ""},
                                  {"PJ_comment", K::Text, ""},
                                  {"worker_salary", K::Text, ""}},
                      .key = "WorkOrder",
                      .indexes = {{{"manager_id"}, false},
                                  {{"Service_id"}, false},
                                  {{"Technician_id"}, false},
                                  {{"Enginner_id"}, false}}});

    // A stock batch held by one storekeeper.
    tables.push_back({.name = "zsv_parts_price",
                      .columns = {{"id", K::Identity, ""},
                                  {"name", K::Text, ""},
                                  {"model", K::Text, ""},
                                  {"count", K::Integer, ""},
                                  {"count_yu", K::Integer, ""},
                                  {"FixPrice", K::Number, ""},
                                  {"SellingPrice", K::Number, ""},
                                  {"RatePrice", K::Number, ""},
                                  {"storage", K::Text, ""},
                                  {"storage_id", K::Integer, ""},
                                  {"manager", K::Text, ""},
                                  {"manager_id", K::Integer, ""},
                                  {"status", K::Text, ""},
                                  {"place_code", K::Text, ""},
                                  {"old", K::Text, ""}},
                      .indexes = {{{"manager_id"}, false}, {{"storage_id"}, false}}});

    // One draw of pieces from a batch by one technician.
    tables.push_back({.name = "zsv_parts_sell",
                      .columns = {{"id", K::Identity, ""},
                                  {"id_price", K::Integer, ""},
                                  {"name", K::Text, ""},
                                  {"model", K::Text, ""},
                                  {"count_pick", K::Integer, "0"},
                                  {"count_sell", K::Integer, "0"},
                                  {"count_return", K::Integer, "0"},
                                  {"count_surplus", K::Integer, "0"},
                                  {"SellingPrice", K::Number, ""},
                                  {"manager", K::Text, ""},
                                  {"storage", K::Text, ""},
                                  {"technician", K::Text, ""},
                                  {"manager_id", K::Integer, ""},
                                  {"storage_id", K::Integer, ""},
                                  {"technician_id", K::Integer, ""},
                                  {"status", K::Text, ""}},
                      .indexes = {{{"id_price"}, false}, {{"manager_id"}, false}}});

    // One sale of pieces from a draw against a work order.
    tables.push_back(
        {.name = "zsv_parts_order",
         .columns = {{"id", K::Identity, ""},
                     {"name", K::Text, ""},
                     {"model", K::Text, ""},
                     {"id_parts", K::Integer, ""},
                     {"id_order", K::Text, ""},
                     {"FixPrice", K::Number, ""},
                     {"SellingPrice", K::Number, ""},
                     {"count", K::Integer, ""},
                     {"total_buy", K::Integer, ""},
                     {"total_sell", K::Integer, ""},
                     {"profit", K::Integer, ""},
                     {"total_rate", K::Number, ""},
                     {"manager_id", K::Integer, ""},
                     {"manager", K::Text, ""},
                     {"storage", K::Text, ""},
                     {"technician", K::Text, ""},
                     {"storage_id", K::Integer, ""},
                     {"status", K::Text, ""},
                     {"order_date", K::DateTime, ""}},
         .indexes = {{{"id_order"}, false}, {{"id_parts"}, false}, {{"manager_id"}, false}}});

    // Amounts owed to and paid to people.
    tables.push_back({.name = "zsv_money",
                      .columns = {{"id", K::Identity, ""},
                                  {"order_id", K::Text, ""},
                                  {"order_state", K::Text, ""},
                                  {"money_all", K::Number, ""},
                                  {"money_rate", K::Number, ""},
                                  {"money_comment", K::Text, ""},
                                  {"money_income", K::Number, ""},
                                  {"money_state", K::Text, ""},
                                  {"money_getout", K::Number, "0"},
                                  {"money_time", K::DateTime, ""},
                                  {"qq", K::Integer, ""},
                                  {"qqname", K::Text, ""},
                                  {"manager_id", K::Integer, ""}},
                      .indexes = {{{"qq"}, false}, {{"manager_id"}, false}}});

    // Wage payments.
    tables.push_back({.name = "zsv_salary",
                      .columns = {{"qq", K::Integer, ""},
                                  {"qqname", K::Text, ""},
                                  {"money", K::Number, ""},
                                  {"get_time", K::DateTime, ""},
                                  {"status", K::Text, ""},
                                  {"kind", K::Text, ""},
                                  {"manager", K::Text, ""},
                                  {"manager_id", K::Integer, ""}},
                      .indexes = {{{"manager_id"}, false}, {{"qq"}, false}}});
    return tables;
}

}  // namespace

const std::vector<TableDef>& CentralTables() {
    static const std::vector<TableDef> tables = MakeCentralTables();
    return tables;
}

std::string CentralSchemaSql(Dialect dialect) {
    std::string tables;
    for (const TableDef& table : CentralTables()) {
        const std::string sql = CreateTableSql(table, dialect);
        if (sql.empty()) {
            return "";
        }
        tables += sql;
    }
    switch (dialect) {
        case Dialect::Sqlite:
            return "begin transaction;\n" + tables + "commit;\n";
        case Dialect::SqlServer:
            // The filtered unique index needs these settings; sqlcmd does not set them itself.
            return "-- The central database ZSV of the repair-shop platform, for SQL Server: run "
                   "it "
                   "in\n"
                   "-- the database ZSV (code page 936, GBK); \"qitai-admin init\" then fills the\n"
                   "-- settings row, the platform account and the departments. Made by\n"
                   "-- \"qitai-admin schema --dialect sqlserver\".\n"
                   "set ansi_nulls on;\nset quoted_identifier on;\nbegin transaction;\n" +
                   tables + "commit;\n";
        case Dialect::MariaDb:
            return tables;  // its table definitions commit each on their own
        case Dialect::Postgres:
            return tables;  // one text runs there as one transaction
    }
    return "";
}

std::string ExplicitIdentityInsert(const std::string& table, const std::string& insert,
                                   Dialect dialect) {
    if (dialect != Dialect::SqlServer) {
        return insert;
    }
    return "set identity_insert " + table + " on; " + insert + "; set identity_insert " + table +
           " off";
}

std::string DropCentralSchemaSql(Dialect dialect) {
    std::string sql;
    const auto& tables = CentralTables();
    for (auto table = tables.rbegin(); table != tables.rend(); ++table) {
        sql += DropTableSql(*table, dialect);
    }
    return sql;
}

}  // namespace db
