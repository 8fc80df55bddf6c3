#include "db/table_def.h"

#include <algorithm>

#include "common/text.h"
#include "db/sqlite_functions.h"

namespace db {

namespace {

// How one engine spells the parts of a table definition.
struct Spelling {
    std::string (*quote)(const std::string& name);
    std::string (*type)(const TableDef& table, const ColumnDef& column);
};

std::string DoubleQuoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::string Backquoted(const std::string& name) {
    return "`" + name + "`";
}

std::string Bracketed(const std::string& name) {
    return "[" + name + "]";
}

// A text column that is a key or part of an index: the servers index only texts of bounded
// length.
bool IsIndexed(const TableDef& table, const ColumnDef& column) {
    if (column.name == table.key) {
        return true;
    }
    return std::any_of(table.indexes.begin(), table.indexes.end(), [&](const IndexDef& index) {
        return std::find(index.columns.begin(), index.columns.end(), column.name) !=
               index.columns.end();
    });
}

std::string IdentityLimit(const TableDef& table, const ColumnDef& column,
                          std::string (*quote)(const std::string&)) {
    if (table.last_identity <= 0) {
        return "";
    }
    return " check (" + quote(column.name) + " between 1 and " +
           std::to_string(table.last_identity) + ")";
}

// Declared types choose SQLite's column affinity. Money and rates are stored as floating point
// even when whole, so that "SellingPrice * RatePrice / 100" divides as the central server's
// decimal columns do instead of truncating; whole money still reads back as "200".
// Date-times are text in the fixed form, which orders and compares correctly byte by byte.
std::string SqliteType(const TableDef& table, const ColumnDef& column) {
    switch (column.kind) {
        case ColumnKind::Identity:
            return "integer primary key autoincrement" + IdentityLimit(table, column, DoubleQuoted);
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

// MariaDB: texts in GBK with its binary collation, which orders Chinese by the GBK code (the
// pinyin order of the Windows installation), ignores trailing blanks and keeps case, as the
// embedded engine's GBK collation does. Money and rates are exact decimals: MariaDB's division
// keeps the fraction. The identity's upper limit is guarded by a trigger, since a check may not
// name an auto-increment column there.
std::string MariaDbType(const TableDef& table, const ColumnDef& column) {
    switch (column.kind) {
        case ColumnKind::Identity:
            return "bigint not null auto_increment primary key";
        case ColumnKind::Integer:
            return "bigint";
        case ColumnKind::Number:
            return "decimal(19,6)";
        case ColumnKind::Text:
            return IsIndexed(table, column) ? "varchar(255)" : "text";
        case ColumnKind::DateTime:
            return "datetime";
    }
    return "";
}

// SQL Server: texts in the GBK code page with its binary collation (GBK order, trailing blanks
// ignored by "=" as always there, case kept), exact decimals for money and rates.
std::string SqlServerType(const TableDef& table, const ColumnDef& column) {
    switch (column.kind) {
        case ColumnKind::Identity:
            return "bigint identity(" + std::to_string(table.first_identity) +
                   ",1) not null primary key" + IdentityLimit(table, column, Bracketed);
        case ColumnKind::Integer:
            return "bigint";
        case ColumnKind::Number:
            return "decimal(19,6)";
        case ColumnKind::Text:
            return std::string(IsIndexed(table, column) ? "varchar(255)" : "varchar(max)") +
                   " collate Chinese_PRC_BIN2";
        case ColumnKind::DateTime:
            return "datetime";
    }
    return "";
}

// PostgreSQL: names are folded to lower case there, so the definitions quote the lower-cased
// name, which the statements' bare names of any case then find. Texts are bpchar without a
// length: kept and read back as written, compared with trailing blanks ignored and case kept. Their
// ICU collation orders digits and Latin letters before Chinese and Chinese by pinyin, the nearest
// PostgreSQL comes to the GBK order of the other engines (letters compare without case first,
// blanks and punctuation weigh last). Money and rates are exact decimals. The identity is
// numbered by a trigger from a sequence of its own (see PostgresIdentitySql).
// A database keeps the collation it was given once ("if not exists"): a change of its locale needs
// a name of its own.
constexpr const char* kPostgresTextCollation = "qitai_text";

std::string PostgresName(const std::string& name) {
    return DoubleQuoted(common::ToLowerAscii(name));
}

std::string PostgresType(const TableDef& table, const ColumnDef& column) {
    switch (column.kind) {
        case ColumnKind::Identity:
            return "bigint not null primary key" + IdentityLimit(table, column, PostgresName);
        case ColumnKind::Integer:
            return "bigint";
        case ColumnKind::Number:
            return "numeric(19,6)";
        case ColumnKind::Text:
            return std::string("bpchar collate ") + kPostgresTextCollation;
        case ColumnKind::DateTime:
            return "timestamp";
    }
    return "";
}

std::string ColumnsSql(const TableDef& table, const Spelling& spelling) {
    std::string sql;
    bool first = true;
    for (const ColumnDef& column : table.columns) {
        sql += first ? "\n  " : ",\n  ";
        first = false;
        sql += spelling.quote(column.name) + " " + spelling.type(table, column);
        if (column.name == table.key) {
            sql += " not null primary key";
        }
        if (!column.default_value.empty()) {
            sql += " default " + column.default_value;
        }
    }
    return sql;
}

std::string IndexName(const TableDef& table, const IndexDef& index) {
    std::string name = table.name;
    for (const std::string& column : index.columns) {
        name += "_" + column;
    }
    return name;
}

std::string IndexColumns(const IndexDef& index, std::string (*quote)(const std::string&)) {
    std::string columns;
    for (const std::string& column : index.columns) {
        columns += (columns.empty() ? "" : ", ") + quote(column);
    }
    return columns;
}

const ColumnDef* IdentityColumn(const TableDef& table) {
    for (const ColumnDef& column : table.columns) {
        if (column.kind == ColumnKind::Identity) {
            return &column;
        }
    }
    return nullptr;
}

std::string SqliteCreate(const TableDef& table) {
    const Spelling spelling{DoubleQuoted, SqliteType};
    std::string sql = "create table if not exists " + DoubleQuoted(table.name) + " (" +
                      ColumnsSql(table, spelling) + "\n);\n";
    for (const IndexDef& index : table.indexes) {
        sql += std::string("create ") + (index.unique ? "unique " : "") + "index if not exists " +
               DoubleQuoted(IndexName(table, index)) + " on " + DoubleQuoted(table.name) + " (" +
               IndexColumns(index, DoubleQuoted) + ");\n";
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

std::string MariaDbCreate(const TableDef& table) {
    const Spelling spelling{Backquoted, MariaDbType};
    std::string sql = "create table " + Backquoted(table.name) + " (" +
                      ColumnsSql(table, spelling) +
                      "\n) engine=InnoDB default charset=gbk collate=gbk_bin";
    if (table.first_identity > 1) {
        sql += " auto_increment=" + std::to_string(table.first_identity);
    }
    sql += ";\n";
    for (const IndexDef& index : table.indexes) {
        sql += std::string("create ") + (index.unique ? "unique " : "") + "index " +
               Backquoted(IndexName(table, index)) + " on " + Backquoted(table.name) + " (" +
               IndexColumns(index, Backquoted) + ");\n";
    }
    const ColumnDef* identity = IdentityColumn(table);
    if (identity != nullptr && table.last_identity > 0) {
        // Raised after the row is numbered, so an insert past the limit fails as a whole.
        const std::string limit = std::to_string(table.last_identity);
        sql += "create trigger " + Backquoted(table.name + "_" + identity->name + "_limit") +
               " after insert on " + Backquoted(table.name) + " for each row if new." +
               Backquoted(identity->name) + " > " + limit +
               " then signal sqlstate '45000' set message_text = '" + table.name + "." +
               identity->name + " may not pass " + limit + "'; end if;\n";
    }
    return sql;
}

std::string SqlServerCreate(const TableDef& table) {
    const Spelling spelling{Bracketed, SqlServerType};
    std::string sql =
        "create table " + Bracketed(table.name) + " (" + ColumnsSql(table, spelling) + "\n);\n";
    for (const IndexDef& index : table.indexes) {
        sql += std::string("create ") + (index.unique ? "unique " : "") + "index " +
               Bracketed(IndexName(table, index)) + " on " + Bracketed(table.name) + " (" +
               IndexColumns(index, Bracketed) + ")";
        if (index.unique) {
            // A unique index there admits one NULL only; accounts are NULL until numbered,
            // and two accounts may be created at the same time.
            std::string filter;
            for (const std::string& column : index.columns) {
                filter +=
                    (filter.empty() ? " where " : " and ") + Bracketed(column) + " is not null";
            }
            sql += filter;
        }
        sql += ";\n";
    }
    return sql;
}

std::string PostgresSequence(const TableDef& table, const ColumnDef& identity) {
    return common::ToLowerAscii(table.name + "_" + identity.name + "_seq");
}

std::string PostgresNumberingFunction(const TableDef& table, const ColumnDef& identity) {
    return common::ToLowerAscii(table.name + "_" + identity.name + "_number");
}

// The identity's numbers come from a sequence owned by the column, drawn by a trigger: a row
// inserted with its number given (the platform account, a restored row) moves the sequence past
// that number, as the central server's identity does, so the next row drawn cannot pass the
// limit unnoticed or collide with it.
std::string PostgresIdentitySql(const TableDef& table, const ColumnDef& identity) {
    const std::string sequence = PostgresSequence(table, identity);
    const std::string function = PostgresNumberingFunction(table, identity);
    const std::string column = PostgresName(identity.name);
    const std::string next_free =
        "(select case when is_called then last_value + 1 else "
        "last_value end from " +
        sequence + ")";
    return "create sequence " + sequence + " start with " + std::to_string(table.first_identity) +
           " minvalue 1 owned by " + PostgresName(table.name) + "." + column + ";\n" +
           "create or replace function " + function +
           "() returns trigger language plpgsql as 'begin if new." + column + " is null then new." +
           column + " := nextval(''" + sequence + "''); elsif new." + column + " >= " + next_free +
           " then perform setval(''" + sequence + "'', new." + column +
           "); end if; return new; end';\n" + "create trigger " + function + " before insert on " +
           PostgresName(table.name) + " for each row execute function " + function + "();\n";
}

std::string PostgresCreate(const TableDef& table) {
    const Spelling spelling{PostgresName, PostgresType};
    // The collation is made where it is missing, so that every table's text stands on its own.
    std::string sql = std::string("create collation if not exists ") + kPostgresTextCollation +
                      " (provider = icu, locale = 'zh-u-kr-latn-hani-kf-upper-ka-shifted');\n" +
                      "create table " + PostgresName(table.name) + " (" +
                      ColumnsSql(table, spelling) + "\n);\n";
    for (const IndexDef& index : table.indexes) {
        sql += std::string("create ") + (index.unique ? "unique " : "") + "index " +
               PostgresName(IndexName(table, index)) + " on " + PostgresName(table.name) + " (" +
               IndexColumns(index, PostgresName) + ");\n";
    }
    if (const ColumnDef* identity = IdentityColumn(table)) {
        sql += PostgresIdentitySql(table, *identity);
    }
    return sql;
}

std::string Quote(const std::string& name, Dialect dialect) {
    switch (dialect) {
        case Dialect::MariaDb:
            return Backquoted(name);
        case Dialect::SqlServer:
            return Bracketed(name);
        case Dialect::Postgres:
            return PostgresName(name);
        case Dialect::Sqlite:
            break;
    }
    return DoubleQuoted(name);
}

}  // namespace

std::string CreateTableSql(const TableDef& table, Dialect dialect) {
    switch (dialect) {
        case Dialect::Sqlite:
            return SqliteCreate(table);
        case Dialect::MariaDb:
            return MariaDbCreate(table);
        case Dialect::SqlServer:
            return SqlServerCreate(table);
        case Dialect::Postgres:
            return PostgresCreate(table);
    }
    return "";
}

std::string SqliteTableSql(const TableDef& table) {
    return SqliteCreate(table);
}

std::string DropTableSql(const TableDef& table, Dialect dialect) {
    std::string sql = "drop table if exists " + Quote(table.name, dialect) + ";\n";
    const ColumnDef* identity = IdentityColumn(table);
    if (dialect == Dialect::Postgres && identity != nullptr) {
        // The sequence and the trigger go with the table; the numbering function goes after it.
        sql += "drop function if exists " + PostgresNumberingFunction(table, *identity) + "();\n";
    }
    return sql;
}

}  // namespace db
