#include "db/local_schema.h"

namespace db {

namespace {

using K = ColumnKind;

std::vector<TableDef> MakeLocalTables() {
    std::vector<TableDef> tables;

    // Settings: one row with id 1; the updates carry no condition.
    tables.push_back({.name = "about",
                      .columns = {{"id", K::Integer, ""},
                                  {"lastqq", K::Text, "''"},
                                  {"CenterIp1", K::Text, "''"},
                                  {"CenterIp2", K::Text, "''"},
                                  {"CurrentIp", K::Text, "''"}},
                      .key = "id"});

    // A row made with only qq (manager registration) means: password not remembered, not
    // invisible, no failures. The failure counter is raised with "f_times = f_times + 1",
    // which must start from 0, not NULL.
    tables.push_back({.name = "login",
                      .columns = {{"qq", K::Integer, ""},
                                  {"passwordd", K::Text, "''"},
                                  {"remember", K::Text, "'0'"},
                                  {"hide", K::Text, "'0'"},
                                  {"f_times", K::Integer, "0"},
                                  {"f_day", K::Integer, "0"}},
                      .key = "qq"});

    tables.push_back({.name = "dialog", .columns = {{"source", K::Integer, ""}}});

    tables.push_back({.name = "diaRecord",
                      .columns = {{"source", K::Integer, ""},
                                  {"target", K::Integer, ""},
                                  {"times", K::Integer, "0"},
                                  {"content", K::Text, "''"}},
                      .indexes = {{{"source", "target"}, false}}});

    // The archive queue. The chat window's insert names neither groupid nor groupname, and the
    // upload writes groupid bare into its central insert: without a default it would read back
    // as NULL (one space) and every archived line would fail to upload.
    tables.push_back({.name = "zsv_dialog",
                      .columns = {{"groupid", K::Integer, "0"},
                                  {"groupname", K::Text, "''"},
                                  {"source", K::Integer, ""},
                                  {"target", K::Integer, ""},
                                  {"sourcename", K::Text, ""},
                                  {"targetname", K::Text, ""},
                                  {"speak", K::Text, ""},
                                  {"speakdate", K::Text, ""},
                                  {"sourceip", K::Text, ""},
                                  {"targetip", K::Text, ""},
                                  {"affirm", K::Integer, "0"},
                                  {"upload", K::Integer, "0"}}});

    // Files the updater installed; FileDel is compared bare by the update check.
    tables.push_back({.name = "qupdate",
                      .columns = {{"FileName", K::Text, ""},
                                  {"FileVersion", K::Text, ""},
                                  {"FileDel", K::Integer, "0"}}});

    tables.push_back(InstallTable());
    return tables;
}

}  // namespace

const TableDef& InstallTable() {
    static const TableDef install{.name = "install",
                                  .columns = {{"name", K::Text, ""}, {"value", K::Text, ""}},
                                  .key = "name"};
    return install;
}

const std::vector<TableDef>& LocalTables() {
    static const std::vector<TableDef> tables = MakeLocalTables();
    return tables;
}

std::string LocalSchemaSql() {
    std::string sql = "begin transaction;\n";
    for (const TableDef& table : LocalTables()) {
        sql += SqliteTableSql(table);
    }
    sql += "commit;\n";
    return sql;
}

}  // namespace db
