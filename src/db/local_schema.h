// The local store BufferDlglocal: the accounts used on this computer with their remembered
// passwords and failure counters, the last account and the scrambled server addresses,
// conversation history, the queue of chat lines waiting to be archived centrally, the installed
// update files, and the installation settings that qitai-admin writes.
#pragma once

#include <string>
#include <vector>

#include "db/table_def.h"

namespace db {

const std::vector<TableDef>& LocalTables();
// The installation settings table alone (name/value rows), for stores made before it existed.
const TableDef& InstallTable();

// The SQLite text that creates the local store's tables (the store is always SQLite).
std::string LocalSchemaSql();

}  // namespace db
