#include "db/installation.h"

#include <optional>

#include "common/text.h"
#include "db/odbc_engine.h"
#include "db/sqlite_engine.h"

namespace db {

namespace {

Installation ReadInstallation() {
    Installation installation;
    SqliteEngine local;
    if (!local.Open(LocalConnectionString())) {
        return installation;
    }
    ResultSet rows;
    if (!local.Run("select name, value from install", rows)) {
        return installation;
    }
    for (const auto& row : rows.rows) {
        if (row.size() < 2 || !row[0] || !row[1]) {
            continue;
        }
        const std::string name = common::TrimRight(*row[0]);
        const std::string value = common::TrimRight(*row[1]);
        if (name == "engine" && !value.empty()) {
            installation.engine = value;
        } else if (name == "odbc_driver") {
            installation.odbc_driver = value;
        } else if (name == "odbc_dialect") {
            installation.odbc_dialect = value;
        } else if (name == "odbc_options") {
            installation.odbc_options = value;
        } else if (name == "default_server") {
            installation.default_server = value;
        }
    }
    return installation;
}

std::optional<Installation>& Cached() {
    static std::optional<Installation> cached;
    return cached;
}

}  // namespace

const Installation& CurrentInstallation() {
    if (!Cached()) {
        Cached() = ReadInstallation();
    }
    return *Cached();
}

void ReloadInstallation() {
    Cached().reset();
}

std::string CentralConnectionString(const std::string& server_address) {
    return "driver={SQL Server};Server=" + server_address +
           ";Database=ZSV;uid=appclient;pwd=duskwaterpin352";
}

std::string LocalConnectionString() {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=BufferDlglocal;Persist Security "
           "Info=False;User ID=admin;Password=;Jet OLEDB:Database Password=mzk4.2";
}

std::unique_ptr<Engine> MakeCentralEngine(const Installation& installation) {
    if (installation.engine == "sqlite") {
        return std::make_unique<SqliteEngine>();
    }
#ifdef QITAI_HAVE_ODBC
    if (installation.engine == "odbc") {
        return std::make_unique<OdbcEngine>(installation.odbc_driver, installation.odbc_options,
                                            DialectNamed(installation.odbc_dialect));
    }
#endif
    return nullptr;  // an engine this build does not have
}

Dialect DialectNamed(const std::string& name) {
    if (name == "mariadb") {
        return Dialect::MariaDb;
    }
    if (name == "postgres") {
        return Dialect::Postgres;
    }
    if (name == "sqlite") {
        return Dialect::Sqlite;
    }
    return Dialect::SqlServer;
}

Dialect CentralDialect(const Installation& installation) {
    return installation.engine == "sqlite" ? Dialect::Sqlite
                                           : DialectNamed(installation.odbc_dialect);
}

std::unique_ptr<Engine> MakeLocalEngine() {
    return std::make_unique<SqliteEngine>();
}

}  // namespace db
