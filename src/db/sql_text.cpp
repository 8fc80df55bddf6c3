#include "db/sql_text.h"

#include "common/text.h"

namespace db {

std::string SqlText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\0') {
            continue;  // a NUL would end the statement text early on some drivers
        }
        out.push_back(c);
        if (c == '\'') {
            out.push_back('\'');
        }
    }
    return out;
}

std::string SqlInteger(std::string_view typed) {
    const std::string t = common::Trim(typed);
    std::string_view digits = t;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        digits.remove_prefix(1);
    }
    if (!common::IsDigits(digits)) {
        return "0";
    }
    return t[0] == '+' ? std::string(digits) : t;
}

std::string SqlNumber(std::string_view typed) {
    const std::string t = common::Trim(typed);
    if (!common::IsDecimal(t)) {
        return "0";
    }
    return t[0] == '+' ? t.substr(1) : t;
}

}  // namespace db
