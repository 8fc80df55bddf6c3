#include "db/odbc_engine.h"

#ifdef QITAI_HAVE_ODBC

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "db/connection_string.h"
#include "db/sql_dialect.h"

namespace db {

namespace {

using WString = std::basic_string<SQLWCHAR>;

// UTF-8 to the driver manager's UTF-16 and back; malformed bytes become U+FFFD.
WString ToWide(const std::string& s) {
    WString out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 && i + 1 < s.size()) {
            cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            len = 2;
        } else if ((c >> 4) == 0xE && i + 2 < s.size()) {
            cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3F);
            len = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < s.size()) {
            cp = ((c & 0x07) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 12) |
                 ((static_cast<unsigned char>(s[i + 2]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(s[i + 3]) & 0x3F);
            len = 4;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<SQLWCHAR>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<SQLWCHAR>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<SQLWCHAR>(cp));
        }
    }
    return out;
}

std::string ToUtf8(const SQLWCHAR* w, std::size_t n) {
    std::string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        char32_t cp = w[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// One ODBC handle, freed with its own type.
class Handle {
  public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
            handle_ = SQL_NULL_HANDLE;
        }
    }
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
        other.handle_ = SQL_NULL_HANDLE;
    }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            type_ = other.type_;
            handle_ = other.handle_;
            other.handle_ = SQL_NULL_HANDLE;
        }
        return *this;
    }
    void Reset() {
        if (handle_ != SQL_NULL_HANDLE) {
            SQLFreeHandle(type_, handle_);
            handle_ = SQL_NULL_HANDLE;
        }
    }
    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

  private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

std::string Diagnostics(const Handle& handle) {
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLWCHAR message[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handle.type(), handle.get(), record, state, &native,
                                            message, 1024, &length);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        if (!text.empty()) {
            text += "; ";
        }
        text += ToUtf8(state, 5) + " " +
                ToUtf8(message, static_cast<std::size_t>(std::min<SQLSMALLINT>(length, 1023)));
    }
    return text.empty() ? "ODBC error" : text;
}

bool IsNumericType(SQLSMALLINT type) {
    switch (type) {
        case SQL_DECIMAL:
        case SQL_NUMERIC:
        case SQL_FLOAT:
        case SQL_REAL:
        case SQL_DOUBLE:
            return true;
        default:
            return false;
    }
}

bool IsDateTimeType(SQLSMALLINT type) {
    return type == SQL_TYPE_TIMESTAMP || type == SQL_DATETIME || type == SQL_TIMESTAMP;
}

// Values read back in the fixed forms: numbers shortest, date-times to the second.
std::string Normalise(std::string value, SQLSMALLINT type) {
    if (IsNumericType(type) && common::IsDecimal(common::Trim(value))) {
        return common::ShortestNumber(common::ToDouble(value));
    }
    if (IsDateTimeType(type)) {
        const std::size_t dot = value.find('.');
        if (dot != std::string::npos && dot >= 19) {
            value.resize(dot);
        }
    }
    return value;
}

// The flags of MariaDB's driver that the statements need: an update reports the rows it
// matched (2), as SQL Server and SQLite do, so that a statement guarded by the row's state
// tells whether it applied; several statements may go in one text (1 << 26).
constexpr unsigned long long kMariaDbFlags = 2ULL | (1ULL << 26);

// What PostgreSQL's driver needs: a failed statement inside a transaction rolls the whole
// transaction back (the "-1" of the protocol) instead of only that statement, as on the central
// server; results are read as they come, without cursors; booleans are numbers.
constexpr std::array<std::pair<const char*, const char*>, 3> kPostgresOptions = {{
    {"Protocol", "7.4-1"},
    {"UseDeclareFetch", "0"},
    {"BoolsAsChar", "0"},
}};

// The installation's options with what the dialect's driver needs added: flags the installation
// gives are kept, ours are added to them.
std::string WithDialectOptions(const std::string& text, Dialect dialect) {
    if (dialect == Dialect::Postgres) {
        std::vector<ConnectionPart> options = SplitConnectionString(text);
        for (const auto& [key, value] : kPostgresOptions) {
            if (FindConnectionPart(options, {key}) == nullptr) {
                options.push_back({key, value, true});
            }
        }
        return JoinConnectionString(options);
    }
    if (dialect != Dialect::MariaDb) {
        return text;
    }
    std::vector<ConnectionPart> options = SplitConnectionString(text);
    if (ConnectionPart* flags = FindConnectionPart(options, {"OPTION", "OPTIONS"})) {
        const std::string value = common::Trim(flags->value);
        const unsigned long long given =
            common::IsDigits(value) && value.size() < 20 ? std::stoull(value) : 0ULL;
        flags->value = std::to_string(given | kMariaDbFlags);
    } else {
        options.push_back({"OPTION", std::to_string(kMariaDbFlags), true});
    }
    if (FindConnectionPart(options, {"CHARSET"}) == nullptr) {
        options.push_back({"CHARSET", "utf8mb4", true});
    }
    return JoinConnectionString(options);
}

SQLPOINTER IntegerAttribute(std::intptr_t value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

}  // namespace

struct OdbcEngine::Handles {
    Handle env;
    Handle dbc;
    bool connected = false;
    bool in_transaction = false;
};

OdbcEngine::OdbcEngine(std::string driver, std::string options, Dialect dialect)
    : driver_(std::move(driver)), options_(std::move(options)), dialect_(dialect) {}

OdbcEngine::~OdbcEngine() {
    Close();
}

std::string OdbcEngine::DriverConnectionString(const std::string& connection_string) const {
    std::string out = "DRIVER={" + driver_ + "}";
    for (const ConnectionPart& part : SplitConnectionString(connection_string)) {
        if (part.well_formed && !common::EqualsNoCase(part.key, "driver")) {
            out += ";" + part.key + "=" + part.value;
        }
    }
    const std::string options = WithDialectOptions(options_, dialect_);
    if (!options.empty()) {
        out += ";" + options;
    }
    return out;
}

bool OdbcEngine::Open(const std::string& connection_string) {
    Close();
    auto handles = std::make_unique<Handles>();
    handles->env = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!handles->env) {
        error_ = "cannot allocate an ODBC environment";
        return false;
    }
    SQLSetEnvAttr(handles->env.get(), SQL_ATTR_ODBC_VERSION, IntegerAttribute(SQL_OV_ODBC3), 0);
    handles->dbc = Handle(SQL_HANDLE_DBC, handles->env.get());
    if (!handles->dbc) {
        error_ = Diagnostics(handles->env);
        return false;
    }
    SQLSetConnectAttr(handles->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                      IntegerAttribute(kLoginTimeoutSeconds), 0);
    SQLSetConnectAttr(handles->dbc.get(), SQL_ATTR_CONNECTION_TIMEOUT,
                      IntegerAttribute(kLoginTimeoutSeconds), 0);
    const std::string text = DriverConnectionString(connection_string);
    if (text.find('\0') != std::string::npos) {
        error_ = "the connection string contains a NUL character";
        return false;
    }
    WString wide = ToWide(text);
    const SQLRETURN rc = SQLDriverConnectW(handles->dbc.get(), nullptr, wide.data(), SQL_NTS,
                                           nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        error_ = Diagnostics(handles->dbc);
        return false;
    }
    handles->connected = true;
    handles_ = std::move(handles);
    for (const std::string& setup : SessionSetupSql(dialect_)) {
        ResultSet ignored;
        if (!Run(setup, ignored)) {
            const std::string why = error_;
            Close();
            error_ = "the server refused the session settings: " + why;
            return false;
        }
    }
    error_.clear();
    return true;
}

void OdbcEngine::Close() {
    if (handles_ != nullptr && handles_->connected) {
        // A driver does not disconnect in the middle of a transaction: it is undone first.
        if (handles_->in_transaction) {
            SQLEndTran(SQL_HANDLE_DBC, handles_->dbc.get(), SQL_ROLLBACK);
        }
        SQLDisconnect(handles_->dbc.get());
    }
    handles_.reset();
}

bool OdbcEngine::IsOpen() const {
    if (handles_ == nullptr || !handles_->connected) {
        return false;
    }
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (SQL_SUCCEEDED(
            SQLGetConnectAttr(handles_->dbc.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) {
        return dead != SQL_CD_TRUE;
    }
    return true;
}

bool OdbcEngine::SetAutoCommit(bool on) {
    if (handles_ == nullptr) {
        error_ = "not connected";
        return false;
    }
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(
            handles_->dbc.get(), SQL_ATTR_AUTOCOMMIT,
            IntegerAttribute(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER))) {
        error_ = Diagnostics(handles_->dbc);
        return false;
    }
    return true;
}

bool OdbcEngine::EndTransaction(bool commit) {
    if (handles_ == nullptr) {
        error_ = "not connected";
        return false;
    }
    const bool ended = SQL_SUCCEEDED(
        SQLEndTran(SQL_HANDLE_DBC, handles_->dbc.get(), commit ? SQL_COMMIT : SQL_ROLLBACK));
    const std::string why = ended ? std::string() : Diagnostics(handles_->dbc);
    // Back to one transaction per statement, also when the end failed.
    const bool restored = SetAutoCommit(true);
    handles_->in_transaction = !restored;
    if (!ended) {
        error_ = why;
        return false;
    }
    return restored;
}

bool OdbcEngine::Begin() {
    if (!SetAutoCommit(false)) {
        return false;
    }
    handles_->in_transaction = true;
    return true;
}

bool OdbcEngine::Commit() {
    return EndTransaction(true);
}

bool OdbcEngine::Rollback() {
    return EndTransaction(false);
}

bool OdbcEngine::Run(const std::string& sql, ResultSet& out) {
    out = ResultSet{};
    rows_affected_ = 0;
    if (handles_ == nullptr) {
        error_ = "not connected";
        return false;
    }
    Handle stmt(SQL_HANDLE_STMT, handles_->dbc.get());
    if (!stmt) {
        error_ = Diagnostics(handles_->dbc);
        return false;
    }
    // The text goes to the driver NUL-terminated: MariaDB's driver reads past the end of a
    // UTF-16 text handed over with its length in characters (into whatever memory follows it),
    // while it measures a terminated text correctly. A NUL inside the text would cut it short,
    // so such a text is refused rather than run in part.
    if (sql.find('\0') != std::string::npos) {
        error_ = "the statement contains a NUL character";
        return false;
    }
    WString wide = ToWide(sql);
    SQLRETURN rc = SQLExecDirectW(stmt.get(), wide.data(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        error_ = Diagnostics(stmt);
        return false;
    }
    // Every result of the batch is read; the rows of the last one with columns are kept.
    for (;;) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt.get(), &columns);
        if (columns > 0) {
            ResultSet result;
            std::vector<SQLSMALLINT> types;
            for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
                SQLWCHAR name[256] = {};
                SQLSMALLINT name_length = 0;
                SQLSMALLINT type = 0;
                SQLULEN size = 0;
                SQLSMALLINT digits = 0;
                SQLSMALLINT nullable = 0;
                SQLDescribeColW(stmt.get(), i, name, 256, &name_length, &type, &size, &digits,
                                &nullable);
                result.columns.push_back(ToUtf8(
                    name, static_cast<std::size_t>(std::min<SQLSMALLINT>(name_length, 255))));
                types.push_back(type);
            }
            // Values are read in pieces into a buffer on the heap, where memcheck sees every
            // byte the driver writes.
            std::vector<SQLWCHAR> chunk(2048);
            const std::size_t capacity = chunk.size() - 1;
            while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
                auto& row = result.rows.emplace_back();
                for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
                    WString value;
                    SQLLEN indicator = 0;
                    bool is_null = false;
                    for (;;) {
                        const SQLRETURN get = SQLGetData(
                            stmt.get(), i, SQL_C_WCHAR, chunk.data(),
                            static_cast<SQLLEN>(chunk.size() * sizeof(SQLWCHAR)), &indicator);
                        if (get == SQL_NO_DATA) {
                            break;
                        }
                        if (!SQL_SUCCEEDED(get)) {
                            error_ = Diagnostics(stmt);
                            return false;
                        }
                        if (indicator == SQL_NULL_DATA) {
                            is_null = true;
                            break;
                        }
                        std::size_t got =
                            indicator == SQL_NO_TOTAL ||
                                    static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR) >
                                        capacity
                                ? capacity
                                : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
                        value.append(chunk.data(), got);
                        if (get == SQL_SUCCESS) {
                            break;
                        }
                    }
                    if (is_null) {
                        row.push_back(std::nullopt);
                    } else {
                        row.push_back(Normalise(ToUtf8(value.data(), value.size()),
                                                types[static_cast<std::size_t>(i - 1)]));
                    }
                }
            }
            if (rc != SQL_NO_DATA) {
                error_ = Diagnostics(stmt);
                return false;
            }
            out = std::move(result);
        } else {
            SQLLEN count = 0;
            if (SQL_SUCCEEDED(SQLRowCount(stmt.get(), &count)) && count >= 0) {
                rows_affected_ = count;
            }
        }
        rc = SQLMoreResults(stmt.get());
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error_ = Diagnostics(stmt);
            return false;
        }
    }
    error_.clear();
    return true;
}

}  // namespace db

#endif  // QITAI_HAVE_ODBC
