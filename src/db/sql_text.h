// Building statements from typed values. Every text that goes between single quotes passes
// through SqlText, so no typed text can end its literal or change the statement; every number
// that comes from typed text is checked before it is written bare.
#pragma once

#include <string>
#include <string_view>

namespace db {

// The text with each single quote doubled, for use between the quotes of a template.
std::string SqlText(std::string_view text);
// The typed text as a bare integer when it is one (optional sign, digits); "0" otherwise.
std::string SqlInteger(std::string_view typed);
// The typed text as a bare decimal number when it is one; "0" otherwise.
std::string SqlNumber(std::string_view typed);

}  // namespace db
