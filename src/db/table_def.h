// The stores' tables as data: every column with the class of value that the statements give it
// and the value a new row takes. The definition text for an engine is made from these, so the
// tables stay the same on every engine and each engine's fragments live in one place.
#pragma once

#include <string>
#include <vector>

#include "db/engine.h"

namespace db {

enum class ColumnKind {
    Identity,  // integer row key numbered by the database
    Integer,   // accounts, codes, flags, counts: written bare, compared as whole numbers
    Number,    // money and rates: whole or decimal, written bare
    Text,      // written between quotes; equality ignores trailing blanks, GBK order
    DateTime,  // written with getdate(), read back as "YYYY-MM-DD HH:MM:SS"
};

struct ColumnDef {
    std::string name;
    ColumnKind kind;
    std::string default_value{};  // an SQL literal; empty: a new row holds NULL
};

struct IndexDef {
    std::vector<std::string> columns;
    bool unique = false;
};

struct TableDef {
    std::string name;
    std::vector<ColumnDef> columns;
    std::string key{};             // primary key column other than an identity; empty: none
    long long first_identity = 1;  // the number the identity gives the first row
    long long last_identity = 0;   // the highest number it may give; 0: no limit of our own
    std::vector<IndexDef> indexes{};
};

// The text that creates the table and its indexes on an engine of the dialect, with its
// identity numbered from `first_identity` and never beyond `last_identity`; empty for a dialect
// that has no definitions yet. On SQLite, running it again on a store that has the table
// changes nothing; on the servers the table must not exist yet.
std::string CreateTableSql(const TableDef& table, Dialect dialect);

// The SQLite text of CreateTableSql, for the stores that are always SQLite files.
std::string SqliteTableSql(const TableDef& table);

// The text that removes the table (with its indexes and guards) where it exists.
std::string DropTableSql(const TableDef& table, Dialect dialect);

}  // namespace db
