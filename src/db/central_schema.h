// The central database: accounts, contacts, departments, log-ins, waiting messages, the
// conversation archive, platform settings, the update list, work orders, parts and money.
#pragma once

#include <string>
#include <vector>

#include "db/engine.h"
#include "db/table_def.h"

namespace db {

// The platform operator's account; shop managers name it as their superior.
inline constexpr long long kPlatformAccount = 100000;
// Accounts the database numbers start after it and keep at most nine digits.
inline constexpr long long kFirstAccount = 100001;
inline constexpr long long kLastAccount = 999999999;

// The fifteen tables.
const std::vector<TableDef>& CentralTables();

// The text that creates the whole central schema on an engine of the dialect; empty when there
// is no definition for that dialect yet.
std::string CentralSchemaSql(Dialect dialect);

}  // namespace db
