// Small text helpers that every subsystem uses on values read from a store or typed by a person.
#pragma once

#include <string>
#include <string_view>

namespace common {

// Removes trailing blanks (spaces, tabs, CR, LF), as every value read from a database is used.
std::string TrimRight(std::string_view s);
// Removes leading and trailing blanks, as account numbers typed by people are used.
std::string Trim(std::string_view s);
// True for a non-empty text made only of the digits 0 to 9.
bool IsDigits(std::string_view s);
// True for a decimal number as a person types one: optional sign, digits, at most one point.
bool IsDecimal(std::string_view s);
// Reads the leading integer of a text the way atoi does (0 when there is none), never throwing.
long long ToInt(std::string_view s);
// Reads the leading decimal number of a text the way atof does (0 when there is none).
double ToDouble(std::string_view s);
// Case-insensitive comparison of ASCII texts (column names).
bool EqualsNoCase(std::string_view a, std::string_view b);
// The text with its ASCII letters in lower case; other bytes (Chinese in UTF-8) are kept.
std::string ToLowerAscii(std::string_view s);
// The shortest decimal text of a number: 0, 10, 0.1, 22.5 (no exponent for ordinary values,
// the decimal point always ".").
std::string ShortestNumber(double value);

}  // namespace common
