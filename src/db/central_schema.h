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

// The text that creates the whole central schema on an engine of the dialect, as one batch;
// empty when there is no definition for that dialect yet. For SQL Server it is also shipped as
// src/db/schema/central.mssql.sql.
std::string CentralSchemaSql(Dialect dialect);

// An insert that gives an identity column its value itself (the platform account), as the
// dialect lets it: SQL Server only while identity inserts are switched on for the table.
std::string ExplicitIdentityInsert(const std::string& table, const std::string& insert,
                                   Dialect dialect);

// The text that removes every central table that exists, as one batch.
std::string DropCentralSchemaSql(Dialect dialect);

}  // namespace db
