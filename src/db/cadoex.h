// The one way to the databases. Callers hand over SQL text in the central server's dialect and
// get back a success flag or the result rows as texts; a NULL reads as one space, several columns
// of a row are joined by a separator and picked apart with GetField.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/engine.h"

namespace db {

inline constexpr const char* kSeparator = "*@#$*";

class CADOEx {
  public:
    enum class Store { Central, Local };

    explicit CADOEx(Store store);
    virtual ~CADOEx();
    CADOEx(const CADOEx&) = delete;
    CADOEx& operator=(const CADOEx&) = delete;

    bool IsOpen();
    void Close();
    void CloseRecordset();
    bool Open(const std::string& connection_string);
    // Three attempts 500 ms apart; when all fail, a message and the end of the process (-1).
    bool ConnectCentral();
    // One attempt; "无法连接本地缓存。" and false when the store cannot be opened.
    bool ConnectLocal();
    // True when the query returned at least one row.
    bool OpenRecordset(const std::string& sql);
    bool Execute(const std::string& sql);
    bool QueryColumn(const std::string& sql, const std::string& column,
                     std::vector<std::string>& rows);
    bool QueryRows(const std::string& sql, const std::vector<std::string>& columns,
                   std::vector<std::string>& rows, const std::string& separator);
    static std::string GetField(const std::string& row, int n, const std::string& separator);

    // A transaction on this instance's connection, opened when it is not open: the statements
    // run until CommitTrans take effect together or not at all. A statement that fails inside
    // it renews the connection as every failure does, which undoes the transaction; from then
    // on the instance refuses statements, so that the rest of the work cannot take effect on its
    // own, until CommitTrans (false) or RollbackTrans (true) ends the transaction. Close() undoes
    // an open transaction too.
    bool BeginTrans();
    bool CommitTrans();
    bool RollbackTrans();
    bool InTransaction() const { return transaction_ != Transaction::None; }

    // Rows changed by the last statement, and rows of the current result.
    long long RowsAffected() const { return rows_affected_; }
    std::size_t RecordCount() const { return recordset_.rows.size(); }
    // The current result as it came, for a caller that does not know its columns: the column
    // names, and each row's values joined by the separator, NULL as one space.
    const std::vector<std::string>& RecordColumns() const { return recordset_.columns; }
    std::vector<std::string> RecordRows(const std::string& separator) const;
    const std::string& LastError() const { return last_error_; }

  private:
    // Ends the open transaction by committing or rolling back.
    bool EndTrans(bool commit);
    enum class Transaction { None, Open, Undone };

    // Runs one statement: translated for the engine, the result kept as the current recordset.
    bool Run(const std::string& sql);
    // Before a statement: the connection open, and no undone transaction waiting to be ended.
    bool ReadyToRun();
    // After a failed query or statement: the central instance reconnects to the central
    // database; the local instance only ever reconnects to its own store, quietly.
    void Recover();
    // Before work when the connection is not open.
    bool EnsureOpen();
    int ColumnIndex(const std::string& name) const;

    Store store_;
    int connected_ = 0;
    std::unique_ptr<Engine> engine_;
    ResultSet recordset_;
    long long rows_affected_ = 0;
    std::string last_error_;
    Transaction transaction_ = Transaction::None;
};

}  // namespace db

namespace db {
// Field n of a row read with kSeparator, trailing blanks removed, as every value from a
// database is used.
std::string RowField(const std::string& row, int n);
}  // namespace db

// The two instances of the process: the central database and the local store.
inline db::CADOEx CentralDb{db::CADOEx::Store::Central};
inline db::CADOEx LocalDb{db::CADOEx::Store::Local};
