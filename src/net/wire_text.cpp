#include "net/wire_text.h"

#include "common/gbk.h"
#include "common/text.h"

namespace net {

std::string PadRight(std::string_view utf8, std::size_t width) {
    std::string out(utf8);
    const std::size_t length = common::GbkLength(utf8);
    if (length < width) {
        out.append(width - length, ' ');
    }
    return out;
}

WireText WireText::FromUtf8(std::string_view utf8) {
    return WireText(common::Utf8ToGbk(utf8));
}

bool WireText::StartsWith(std::string_view code) const {
    return std::string_view(bytes_).substr(0, code.size()) == code;
}

char WireText::At(std::size_t position) const {
    return position < bytes_.size() ? bytes_[position] : '\0';
}

std::string WireText::Field(std::size_t position, std::size_t width) const {
    if (position >= bytes_.size()) {
        return {};
    }
    // GBK trail bytes are never blanks, so trimming the bytes first cannot split a character.
    return common::GbkToUtf8(common::TrimRight(std::string_view(bytes_).substr(position, width)));
}

std::string WireText::Tail(std::size_t position) const {
    if (position >= bytes_.size()) {
        return {};
    }
    return common::GbkToUtf8(std::string_view(bytes_).substr(position));
}

}  // namespace net
