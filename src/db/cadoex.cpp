#include "db/cadoex.h"

#include <chrono>
#include <thread>

#include "common/text.h"
#include "db/installation.h"
#include "db/sql_dialect.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace db {

namespace {
constexpr const char* kUndone =
    "the transaction was undone when a statement in it failed; end it with RollbackTrans";
}  // namespace

CADOEx::CADOEx(Store store) : store_(store) {}

CADOEx::~CADOEx() {
    Close();
}

bool CADOEx::IsOpen() {
    connected_ = engine_ != nullptr && engine_->IsOpen() ? 1 : 0;
    return connected_ == 1;
}

void CADOEx::Close() {
    if (engine_ != nullptr && engine_->IsOpen()) {
        engine_->Close();
    }
    connected_ = 0;
    transaction_ = Transaction::None;
}

void CADOEx::CloseRecordset() {
    recordset_ = ResultSet{};
}

bool CADOEx::Open(const std::string& connection_string) {
    Close();
    engine_ =
        store_ == Store::Central ? MakeCentralEngine(CurrentInstallation()) : MakeLocalEngine();
    if (engine_ == nullptr) {
        last_error_ = "this build has no engine for the installation's central database";
        connected_ = 0;
        return false;
    }
    if (!engine_->Open(connection_string)) {
        last_error_ = engine_->Error();
        connected_ = 0;
        return false;
    }
    connected_ = 1;
    return true;
}

bool CADOEx::ConnectCentral() {
    if (IsOpen()) {
        Close();
    }
    const std::string connection = CentralConnectionString(SessionContext.CurrentIp);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        if (Open(connection)) {
            return true;
        }
    }
    ui::CurrentShell().MessageBox("提示：无法连接服务器，请检查网络连接。", "提示",
                                  ui::Buttons::Ok);
    ui::EndProcess(-1);
}

bool CADOEx::ConnectLocal() {
    if (IsOpen()) {
        Close();
    }
    if (Open(LocalConnectionString())) {
        return true;
    }
    ui::CurrentShell().MessageBox("无法连接本地缓存。", "提示", ui::Buttons::Ok);
    return false;
}

bool CADOEx::EnsureOpen() {
    if (IsOpen()) {
        return true;
    }
    if (store_ == Store::Central) {
        return ConnectCentral();
    }
    // The local store is opened only by ConnectLocal: when that failed, local work fails
    // quietly instead of running local statements on the central database.
    last_error_ = "the local store is not open";
    return false;
}

void CADOEx::Recover() {
    const bool in_transaction = transaction_ != Transaction::None;
    connected_ = 0;
    if (store_ == Store::Central) {
        ConnectCentral();
    } else {
        Open(LocalConnectionString());
    }
    if (in_transaction) {
        transaction_ = Transaction::Undone;
    }
}

bool CADOEx::ReadyToRun() {
    if (transaction_ == Transaction::Undone) {
        last_error_ = kUndone;
        return false;
    }
    if (IsOpen()) {
        return true;
    }
    // A connection lost in the middle of a transaction took the transaction with it.
    const bool in_transaction = transaction_ == Transaction::Open;
    if (!EnsureOpen()) {
        return false;
    }
    if (in_transaction) {
        transaction_ = Transaction::Undone;
        last_error_ = kUndone;
        return false;
    }
    return true;
}

bool CADOEx::BeginTrans() {
    if (transaction_ != Transaction::None) {
        last_error_ = "a transaction is open already";
        return false;
    }
    if (!ReadyToRun()) {
        return false;
    }
    if (!engine_->Begin()) {
        last_error_ = engine_->Error();
        return false;
    }
    transaction_ = Transaction::Open;
    return true;
}

bool CADOEx::CommitTrans() {
    return EndTrans(true);
}

bool CADOEx::RollbackTrans() {
    return EndTrans(false);
}

bool CADOEx::EndTrans(bool commit) {
    switch (transaction_) {
        case Transaction::None:
            last_error_ = "no transaction is open";
            return false;
        case Transaction::Undone:
            // A failed statement already undid the work: rolling back is done, committing fails.
            transaction_ = Transaction::None;
            if (commit) {
                last_error_ = kUndone;
                return false;
            }
            return true;
        case Transaction::Open:
            break;
    }
    transaction_ = Transaction::None;
    if (!(commit ? engine_->Commit() : engine_->Rollback())) {
        last_error_ = engine_->Error();
        Recover();
        return false;
    }
    return true;
}

bool CADOEx::Run(const std::string& sql) {
    CloseRecordset();
    rows_affected_ = 0;
    if (!engine_->Run(TranslateSql(sql, engine_->SqlDialect()), recordset_)) {
        last_error_ = engine_->Error();
        return false;
    }
    rows_affected_ = engine_->RowsAffected();
    return true;
}

bool CADOEx::OpenRecordset(const std::string& sql) {
    if (!ReadyToRun()) {
        return false;
    }
    if (!Run(sql)) {
        Recover();
        return false;
    }
    return !recordset_.rows.empty();
}

bool CADOEx::Execute(const std::string& sql) {
    if (!ReadyToRun()) {
        return false;
    }
    if (!Run(sql)) {
        Recover();
        return false;
    }
    return true;
}

int CADOEx::ColumnIndex(const std::string& name) const {
    // "zsv_friend.friendqq" is read as "friendqq"; names match without regard to case.
    const std::size_t dot = name.rfind('.');
    const std::string wanted = dot == std::string::npos ? name : name.substr(dot + 1);
    for (std::size_t i = 0; i < recordset_.columns.size(); ++i) {
        const std::string& column = recordset_.columns[i];
        const std::size_t cdot = column.rfind('.');
        const std::string bare = cdot == std::string::npos ? column : column.substr(cdot + 1);
        if (common::EqualsNoCase(bare, common::Trim(wanted))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

namespace {
std::string ValueText(const std::optional<std::string>& value) {
    return value ? *value : std::string(" ");
}
}  // namespace

bool CADOEx::QueryColumn(const std::string& sql, const std::string& column,
                         std::vector<std::string>& rows) {
    // One column joined with nothing is the column itself.
    return QueryRows(sql, {column}, rows, "");
}

bool CADOEx::QueryRows(const std::string& sql, const std::vector<std::string>& columns,
                       std::vector<std::string>& rows, const std::string& separator) {
    rows.clear();
    if (!OpenRecordset(sql)) {
        return false;
    }
    rows.resize(recordset_.rows.size());
    std::vector<int> indexes;
    for (const auto& column : columns) {
        const int index = ColumnIndex(column);
        if (index < 0) {
            last_error_ = "the result has no column " + column;
            return false;
        }
        indexes.push_back(index);
    }
    for (std::size_t i = 0; i < recordset_.rows.size(); ++i) {
        std::string text;
        for (std::size_t k = 0; k < indexes.size(); ++k) {
            if (k > 0) {
                text += separator;
            }
            text += ValueText(recordset_.rows[i][static_cast<std::size_t>(indexes[k])]);
        }
        rows[i] = std::move(text);
    }
    return true;
}

std::vector<std::string> CADOEx::RecordRows(const std::string& separator) const {
    std::vector<std::string> rows;
    rows.reserve(recordset_.rows.size());
    for (const auto& values : recordset_.rows) {
        std::string text;
        for (std::size_t k = 0; k < values.size(); ++k) {
            if (k > 0) {
                text += separator;
            }
            text += ValueText(values[k]);
        }
        rows.push_back(std::move(text));
    }
    return rows;
}

std::string CADOEx::GetField(const std::string& row, int n, const std::string& separator) {
    if (row.empty() || separator.empty()) {
        return "";
    }
    std::vector<std::size_t> positions;
    for (std::size_t pos = row.find(separator); pos != std::string::npos;
         pos = row.find(separator, pos + separator.size())) {
        positions.push_back(pos);
    }
    const auto k = static_cast<int>(positions.size());
    if (k == 0 || n < 1 || n > k + 1) {
        return "";
    }
    if (n == 1) {
        return row.substr(0, positions.front());
    }
    if (n == k + 1) {
        if (positions.back() == 0) {
            return "";
        }
        return row.substr(positions.back() + separator.size());
    }
    const std::size_t begin = positions[static_cast<std::size_t>(n - 2)] + separator.size();
    return row.substr(begin, positions[static_cast<std::size_t>(n - 1)] - begin);
}

std::string RowField(const std::string& row, int n) {
    return common::TrimRight(CADOEx::GetField(row, n, kSeparator));
}

}  // namespace db
