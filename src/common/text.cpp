#include "common/text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace common {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

std::string TrimRight(std::string_view s) {
    std::size_t end = s.size();
    while (end > 0 && IsBlank(s[end - 1])) {
        --end;
    }
    return std::string(s.substr(0, end));
}

std::string Trim(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && IsBlank(s[begin])) {
        ++begin;
    }
    return TrimRight(s.substr(begin));
}

bool IsDigits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool IsDecimal(std::string_view s) {
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        s.remove_prefix(1);
    }
    bool digit = false;
    bool point = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

long long ToInt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (value > (std::numeric_limits<long long>::max() - 9) / 10) {
            break;  // saturate instead of overflowing
        }
        value = value * 10 + (s[i] - '0');
    }
    return negative ? -value : value;
}

double ToDouble(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    s.remove_prefix(i);
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
    }
    double value = 0;
    auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc()) {
        return 0;
    }
    return value;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string ShortestNumber(double value) {
    if (value == 0) {
        return "0";  // also turns -0 into 0
    }
    if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value)) {
        return std::to_string(static_cast<long long>(value));
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr - buffer > 40) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    }
    return std::string(buffer, result.ptr);
}

}  // namespace common
