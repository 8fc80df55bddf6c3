// Installation settings kept in the local store's `install` table by qitai-admin: which engine
// serves the central database and, for a server engine, its ODBC driver and dialect, and where
// the built-in datagram endpoint is. Without the table or its rows the embedded engine serves.
#pragma once

#include <memory>
#include <string>

#include "db/engine.h"

namespace db {

struct Installation {
    std::string engine = "sqlite";  // "sqlite" or "odbc"
    std::string odbc_driver;        // ODBC driver name for the central server
    std::string odbc_dialect;       // "sqlserver", "postgres" or "mariadb"
    std::string odbc_options;       // further "KEY=value;..." for the driver (port, character set)
    std::string default_server;     // address of the built-in datagram endpoint; "" = CurrentIp
};

// The settings of this data directory, read once and kept; ReloadInstallation reads them again.
const Installation& CurrentInstallation();
void ReloadInstallation();

// The connection strings of the two stores.
std::string CentralConnectionString(const std::string& server_address);
std::string LocalConnectionString();

// The dialect an installation's server engine speaks; SQL Server when it names none.
Dialect DialectNamed(const std::string& name);

// The dialect of the engine that serves the installation's central database.
Dialect CentralDialect(const Installation& installation);

// A new engine for the central database as the installation says, or for the local store.
std::unique_ptr<Engine> MakeCentralEngine(const Installation& installation);
std::unique_ptr<Engine> MakeLocalEngine();

}  // namespace db
