#include "db/table_def.h"

#include "db/sqlite_functions.h"

namespace db {

namespace {

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// Declared types choose SQLite's column affinity. Money and rates are stored as floating point
// even when whole, so that "SellingPrice * RatePrice / 100" divides as the central server's
// decimal columns do instead of truncating; whole money still reads back as "200".
// Date-times are text in the fixed form, which orders and compares correctly byte by byte.
std::string SqliteType(const TableDef& table, const ColumnDef& column) {
    switch (column.kind) {
        case ColumnKind::Identity: {
            std::string type = "integer primary key autoincrement";
            if (table.last_identity > 0) {
                type += " check (" + Quoted(column.name) + " between 1 and " +
                        std::to_string(table.last_identity) + ")";
            }
            return type;
        }
        case ColumnKind::Integer:
            return "integer";
        case ColumnKind::Number:
            return "real";
        case ColumnKind::Text:
            return std::string("text collate ") + kGbkCollation;
        case ColumnKind::DateTime:
            return "text";
    }
    return "";
}

}  // namespace

std::string SqliteTableSql(const TableDef& table) {
    std::string sql = "create table if not exists " + Quoted(table.name) + " (";
    bool first = true;
    for (const ColumnDef& column : table.columns) {
        sql += first ? "\n  " : ",\n  ";
        first = false;
        sql += Quoted(column.name) + " " + SqliteType(table, column);
        if (column.name == table.key) {
            sql += " not null primary key";
        }
        if (!column.default_value.empty()) {
            sql += " default " + column.default_value;
        }
    }
    sql += "\n);\n";
    for (const IndexDef& index : table.indexes) {
        std::string name = table.name;
        std::string columns;
        for (const std::string& column : index.columns) {
            name += "_" + column;
            columns += (columns.empty() ? "" : ", ") + Quoted(column);
        }
        sql += std::string("create ") + (index.unique ? "unique " : "") + "index if not exists " +
               Quoted(name) + " on " + Quoted(table.name) + " (" + columns + ");\n";
    }
    if (table.first_identity > 1) {
        // AUTOINCREMENT numbers from the highest number it has given, kept in sqlite_sequence.
        sql += "insert into sqlite_sequence (name, seq) select '" + table.name + "', " +
               std::to_string(table.first_identity - 1) +
               " where not exists (select 1 from sqlite_sequence where name = '" + table.name +
               "');\n";
    }
    return sql;
}

}  // namespace db
