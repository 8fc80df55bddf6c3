// The stores' tables as data: every column with the class of value that the statements give it
// and the value a new row takes. The definition text for an engine is made from these, so the
// tables stay the same on every engine and each engine's fragments live in one place.
#pragma once

#include <string>
#include <vector>

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

// The SQLite text that creates the table and its indexes and seeds its identity. Running it
// again on a store that has the table changes nothing.
std::string SqliteTableSql(const TableDef& table);

}  // namespace db
