// Texts as they travel in datagrams. Inside the program texts are UTF-8; on the wire they are
// GBK, so that Windows peers read and write the same bytes. Fixed-width fields are cut and
// padded by GBK byte positions, which is what the peers count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace net {

// The text followed by spaces up to `width` GBK bytes; unchanged when already that long or
// longer (a longer text is never cut).
std::string PadRight(std::string_view utf8, std::size_t width);

// One received or outgoing text in its wire form (GBK bytes, without the NUL).
class WireText {
  public:
    WireText() = default;
    explicit WireText(std::string gbk) : bytes_(std::move(gbk)) {}
    static WireText FromUtf8(std::string_view utf8);

    const std::string& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    // True when the text begins with the given code (ASCII).
    bool StartsWith(std::string_view code) const;
    // The byte at a position, '\0' past the end.
    char At(std::size_t position) const;
    // `width` bytes from `position` (fewer when the text is shorter), trailing white space
    // removed, as UTF-8. Bytes that are not valid GBK come out as U+FFFD.
    std::string Field(std::size_t position, std::size_t width) const;
    // Everything from `position` to the end, as UTF-8 ("" when the text is shorter).
    std::string Tail(std::size_t position) const;
    // The whole text as UTF-8.
    std::string Utf8() const { return Tail(0); }

  private:
    std::string bytes_;
};

}  // namespace net
