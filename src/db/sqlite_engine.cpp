#include "db/sqlite_engine.h"

#include <sqlite3.h>

#include <cctype>

#include "common/data_dir.h"
#include "common/text.h"
#include "db/connection_string.h"
#include "db/sqlite_functions.h"

namespace db {

namespace {

// Owns one prepared statement.
class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt** Out() { return &stmt_; }
    sqlite3_stmt* get() const { return stmt_; }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

std::optional<std::string> ColumnText(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return common::ShortestNumber(sqlite3_column_double(stmt, i));
        default: {
            const auto* text = sqlite3_column_blob(stmt, i);
            const int size = sqlite3_column_bytes(stmt, i);
            return text == nullptr ? std::string()
                                   : std::string(static_cast<const char*>(text),
                                                 static_cast<std::size_t>(size));
        }
    }
}

bool OnlyBlanks(const char* p, const char* end) {
    for (; p < end; ++p) {
        if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::filesystem::path SqliteEngine::FileFor(const std::string& connection_string) {
    std::filesystem::path file = ConnectionValue(connection_string, "Data Source");
    if (file.empty()) {
        const std::string database = ConnectionValue(connection_string, "Database");
        if (!database.empty()) {
            file = database + ".db";
        }
    }
    if (file.empty() || file.is_absolute()) {
        return file;
    }
    return common::DataDir() / file;
}

SqliteEngine::SqliteEngine() = default;

SqliteEngine::~SqliteEngine() {
    Close();
}

bool SqliteEngine::Open(const std::string& connection_string) {
    Close();
    const std::filesystem::path file = FileFor(connection_string);
    if (file.empty()) {
        error_ = "the connection string names no database";
        return false;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        error_ = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // A file that is not a database shows itself on the first read.
    if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) !=
            SQLITE_OK ||
        !RegisterSqlServerFunctions(db)) {
        error_ = sqlite3_errmsg(db);
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    error_.clear();
    return true;
}

void SqliteEngine::Close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool SqliteEngine::Run(const std::string& sql, ResultSet& out) {
    out = ResultSet{};
    rows_affected_ = 0;
    if (db_ == nullptr) {
        error_ = "not connected";
        return false;
    }
    const char* tail = sql.data();
    const char* const end = sql.data() + sql.size();
    bool ran_any = false;
    while (tail < end && !OnlyBlanks(tail, end)) {
        Statement stmt;
        const char* next = nullptr;
        if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), stmt.Out(), &next) !=
            SQLITE_OK) {
            error_ = sqlite3_errmsg(db_);
            return false;
        }
        tail = next;
        if (stmt.get() == nullptr) {
            continue;  // a comment or an empty statement
        }
        ran_any = true;
        const int columns = sqlite3_column_count(stmt.get());
        ResultSet result;
        for (int i = 0; i < columns; ++i) {
            const char* name = sqlite3_column_name(stmt.get(), i);
            result.columns.emplace_back(name != nullptr ? name : "");
        }
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            auto& row = result.rows.emplace_back();
            row.reserve(static_cast<std::size_t>(columns));
            for (int i = 0; i < columns; ++i) {
                row.push_back(ColumnText(stmt.get(), i));
            }
        }
        if (rc != SQLITE_DONE) {
            error_ = sqlite3_errmsg(db_);
            return false;
        }
        if (columns > 0) {
            out = std::move(result);
        } else {
            rows_affected_ = sqlite3_changes64(db_);
        }
    }
    if (!ran_any) {
        error_ = "empty statement";
        return false;
    }
    error_.clear();
    return true;
}

bool SqliteEngine::Begin() {
    ResultSet ignored;
    return Run("begin immediate", ignored);
}

bool SqliteEngine::Commit() {
    ResultSet ignored;
    return Run("commit", ignored);
}

bool SqliteEngine::Rollback() {
    ResultSet ignored;
    return Run("rollback", ignored);
}

bool SqliteEngine::CreateFile(const std::filesystem::path& file, std::string& error) {
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    // Write-ahead logging lets readers go on while another client writes.
    char* message = nullptr;
    if (sqlite3_exec(db, "pragma journal_mode=wal", nullptr, nullptr, &message) != SQLITE_OK) {
        error = message != nullptr ? message : "cannot set the journal mode";
        sqlite3_free(message);
        sqlite3_close(db);
        return false;
    }
    sqlite3_close(db);
    return true;
}

}  // namespace db
