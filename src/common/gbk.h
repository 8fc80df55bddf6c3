// Conversion between the program's UTF-8 texts and the GBK bytes that Windows peers send and
// expect on the wire, and that the stored formats count their lengths in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// UTF-8 to GBK. A character that GBK cannot hold becomes "?"; invalid UTF-8 bytes become "?".
std::string Utf8ToGbk(std::string_view utf8);
// GBK to UTF-8. Bytes that are not valid GBK become U+FFFD; the conversion never fails.
std::string GbkToUtf8(std::string_view gbk);
// The length of a UTF-8 text counted in GBK bytes.
std::size_t GbkLength(std::string_view utf8);
// Byte-order comparison of two UTF-8 texts in their GBK form: the order that Chinese names take
// on the Windows installation (pinyin for the common characters).
int CompareGbk(std::string_view a, std::string_view b);

}  // namespace common
