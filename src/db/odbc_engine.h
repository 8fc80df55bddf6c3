// A central database on a server, reached through unixODBC. The connection string keeps the
// client's own form (server address, database ZSV, the fixed login); the installation names the
// driver that replaces the "{SQL Server}" of that string, and any further driver options.
#pragma once

#include <memory>
#include <string>

#include "db/engine.h"

namespace db {

class OdbcEngine final : public Engine {
  public:
    // `driver`: the ODBC driver's name, e.g. "MariaDB Unicode"; `options`: "KEY=value;..." added
    // to every connection string (a port, a character set).
    OdbcEngine(std::string driver, std::string options, Dialect dialect);
    ~OdbcEngine() override;
    OdbcEngine(const OdbcEngine&) = delete;
    OdbcEngine& operator=(const OdbcEngine&) = delete;

    bool Open(const std::string& connection_string) override;
    void Close() override;
    bool IsOpen() const override;
    bool Run(const std::string& sql, ResultSet& out) override;
    long long RowsAffected() const override { return rows_affected_; }
    // Transactions switch the connection's auto-commit off until Commit or Rollback.
    bool Begin() override;
    bool Commit() override;
    bool Rollback() override;
    Dialect SqlDialect() const override { return dialect_; }
    const std::string& Error() const override { return error_; }

    // The connection string handed to the driver for the client's own string: the installation's
    // driver and options, and what the dialect's driver needs so that the statements behave as
    // on the central server (for MariaDB: updates count the rows they matched, several
    // statements in one text, UTF-8 texts).
    std::string DriverConnectionString(const std::string& connection_string) const;

    static constexpr int kLoginTimeoutSeconds = 8;

  private:
    struct Handles;
    bool SetAutoCommit(bool on);
    bool EndTransaction(bool commit);

    std::string driver_;
    std::string options_;
    Dialect dialect_;
    std::unique_ptr<Handles> handles_;
    long long rows_affected_ = 0;
    std::string error_;
};

}  // namespace db
