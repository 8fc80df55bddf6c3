// What the central server's dialect gives its statements and SQLite lacks: getdate(), the
// date parts, and text comparison that ignores trailing blanks and orders Chinese in GBK order.
#pragma once

struct sqlite3;

namespace db {

// Collation name for every text column of the stores.
inline constexpr const char* kGbkCollation = "GBK";

// Registers the functions and the collation on a new connection. False when SQLite refused.
bool RegisterSqlServerFunctions(sqlite3* db);

}  // namespace db
