#include "common/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace common {

namespace {

// One conversion descriptor per thread and direction: iconv_t is not safe to share.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv has no GBK converter");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; on an invalid or unconvertible sequence, appends the
    // replacement and skips `skip` bytes (one GBK byte, or one whole UTF-8 character).
    std::string Run(std::string_view in, std::string_view replacement, bool utf8_input) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 2 + 8);
        char buffer[1024];
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        while (src_left > 0) {
            char* dst = buffer;
            std::size_t dst_left = sizeof buffer;
            const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: replace the offending sequence and go on after it.
            out.append(replacement);
            std::size_t skip = 1;
            if (utf8_input) {
                const auto lead = static_cast<unsigned char>(*src);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                // Never skip past a byte that starts a new character.
                for (std::size_t k = 1; k < skip && k < src_left; ++k) {
                    if ((static_cast<unsigned char>(src[k]) & 0xC0) != 0x80) {
                        skip = k;
                        break;
                    }
                }
            }
            if (skip > src_left) {
                skip = src_left;
            }
            src += skip;
            src_left -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
};

Converter& ToGbk() {
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

Converter& FromGbk() {
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    return ToGbk().Run(utf8, "?", true);
}

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) {
        return std::string(gbk);
    }
    return FromGbk().Run(gbk, "\xEF\xBF\xBD", false);
}

std::size_t GbkLength(std::string_view utf8) {
    return IsAscii(utf8) ? utf8.size() : Utf8ToGbk(utf8).size();
}

int CompareGbk(std::string_view a, std::string_view b) {
    const std::string ga = Utf8ToGbk(a);
    const std::string gb = Utf8ToGbk(b);
    const int c = ga.compare(gb);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace common
