// The embedded engine: one SQLite file per store in the data directory. The central database of
// one machine is shared by its clients and its relay; the busy time-out lets them take turns.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "db/engine.h"

struct sqlite3;

namespace db {

class SqliteEngine final : public Engine {
  public:
    SqliteEngine();
    ~SqliteEngine() override;
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    // The string names the file by "Data Source=" (a file name) or "Database=" (a database
    // name, stored as <name>.db); relative names are found in the data directory. The file
    // must exist: a missing store is a failed connection, as with a missing server.
    bool Open(const std::string& connection_string) override;
    void Close() override;
    bool IsOpen() const override { return db_ != nullptr; }
    bool Run(const std::string& sql, ResultSet& out) override;
    long long RowsAffected() const override { return rows_affected_; }
    // The transaction takes the write lock at its start ("begin immediate"): a transaction
    // that read first and wrote later could not wait for another client's write with the busy
    // time-out and would fail at once.
    bool Begin() override;
    bool Commit() override;
    bool Rollback() override;
    Dialect SqlDialect() const override { return Dialect::Sqlite; }
    const std::string& Error() const override { return error_; }

    // Creates an empty database file (for the admin tool and tests).
    static bool CreateFile(const std::filesystem::path& file, std::string& error);
    // The file a connection string names.
    static std::filesystem::path FileFor(const std::string& connection_string);

    static constexpr int kBusyTimeoutMs = 8000;

  private:
    sqlite3* db_ = nullptr;
    long long rows_affected_ = 0;
    std::string error_;
};

}  // namespace db
