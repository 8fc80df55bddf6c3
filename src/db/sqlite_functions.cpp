#include "db/sqlite_functions.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "common/gbk.h"
#include "common/text.h"

namespace db {

namespace {

std::string_view WithoutTrailingBlanks(const void* data, int size) {
    std::string_view s(static_cast<const char*>(data), static_cast<std::size_t>(size));
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// Texts compare as the central server compares them: trailing blanks do not count, and the
// order is that of the GBK bytes.
int CompareGbkIgnoringTrailingBlanks(void*, int size_a, const void* a, int size_b, const void* b) {
    const std::string_view sa = WithoutTrailingBlanks(a, size_a);
    const std::string_view sb = WithoutTrailingBlanks(b, size_b);
    return common::CompareGbk(sa, sb);
}

std::string LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

void GetDate(sqlite3_context* context, int, sqlite3_value**) {
    const std::string now = LocalNow();
    sqlite3_result_text(context, now.c_str(), static_cast<int>(now.size()), SQLITE_TRANSIENT);
}

// Parses "YYYY-MM-DD[ HH:MM[:SS]]" (with or without leading zeros). False when it is no date.
bool ParseDateTime(std::string_view text, std::tm& out) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string s(text);
    const int n =
        std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
    if (n < 3 || month < 1 || month > 12 || day < 1 || day > 31) {
        return false;
    }
    out = std::tm{};
    out.tm_year = year - 1900;
    out.tm_mon = month - 1;
    out.tm_mday = day;
    out.tm_hour = hour;
    out.tm_min = minute;
    out.tm_sec = second;
    out.tm_isdst = -1;
    std::tm normalised = out;
    if (timegm(&normalised) == -1) {
        return false;
    }
    out.tm_wday = normalised.tm_wday;
    out.tm_yday = normalised.tm_yday;
    return true;
}

// DATEPART(part, value) with the part names of the central server's dialect.
void DatePart(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* part_text = sqlite3_value_text(argv[0]);
    const auto* value_text = sqlite3_value_text(argv[1]);
    std::tm tm{};
    if (part_text == nullptr || value_text == nullptr ||
        !ParseDateTime(reinterpret_cast<const char*>(value_text), tm)) {
        sqlite3_result_null(context);
        return;
    }
    const std::string part = common::ToLowerAscii(reinterpret_cast<const char*>(part_text));
    long long result = 0;
    if (part == "yy" || part == "yyyy" || part == "year") {
        result = tm.tm_year + 1900;
    } else if (part == "qq" || part == "q" || part == "quarter") {
        result = tm.tm_mon / 3 + 1;
    } else if (part == "mm" || part == "m" || part == "month") {
        result = tm.tm_mon + 1;
    } else if (part == "dy" || part == "y" || part == "dayofyear") {
        result = tm.tm_yday + 1;
    } else if (part == "dd" || part == "d" || part == "day") {
        result = tm.tm_mday;
    } else if (part == "wk" || part == "ww" || part == "week") {
        // Week of the year, weeks starting on Sunday, 1 for the week of 1 January.
        const int jan1_wday = (tm.tm_wday - tm.tm_yday % 7 + 7) % 7;
        result = (tm.tm_yday + jan1_wday) / 7 + 1;
    } else if (part == "dw" || part == "w" || part == "weekday") {
        result = tm.tm_wday + 1;
    } else if (part == "hh" || part == "hour") {
        result = tm.tm_hour;
    } else if (part == "mi" || part == "n" || part == "minute") {
        result = tm.tm_min;
    } else if (part == "ss" || part == "s" || part == "second") {
        result = tm.tm_sec;
    } else {
        sqlite3_result_error(context, "unknown date part", -1);
        return;
    }
    sqlite3_result_int64(context, result);
}

// The difference of two date-times as the central server gives it: a date-time counted from
// 1900-01-01 00:00:00.
void DateTimeDifference(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    std::tm end{};
    std::tm begin{};
    if (!ParseDateTime(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), end) ||
        !ParseDateTime(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])), begin)) {
        sqlite3_result_null(context);
        return;
    }
    const long long seconds = static_cast<long long>(timegm(&end)) - timegm(&begin);
    std::tm base{};
    base.tm_year = 0;
    base.tm_mon = 0;
    base.tm_mday = 1;
    const std::time_t result = timegm(&base) + static_cast<std::time_t>(seconds);
    std::tm out{};
    gmtime_r(&result, &out);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &out);
    sqlite3_result_text(context, buffer, -1, SQLITE_TRANSIENT);
}

}  // namespace

bool RegisterSqlServerFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8;
    return sqlite3_create_collation(db, kGbkCollation, SQLITE_UTF8, nullptr,
                                    CompareGbkIgnoringTrailingBlanks) == SQLITE_OK &&
           sqlite3_create_function(db, "getdate", 0, flags, nullptr, GetDate, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(db, "datepart", 2, flags | SQLITE_DETERMINISTIC, nullptr,
                                   DatePart, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function(db, "datetime_diff", 2, flags | SQLITE_DETERMINISTIC, nullptr,
                                   DateTimeDifference, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace db
