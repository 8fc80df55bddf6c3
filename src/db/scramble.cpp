#include "db/scramble.h"

#include <cstdint>
#include <vector>

namespace db {

namespace {
constexpr std::uint8_t kKey = 0x9E;
constexpr std::string_view kAlphabet = "7302948156";
constexpr std::size_t kMaxBytes = 999;
}  // namespace

std::string RotatePassword(std::string_view typed) {
    if (typed.size() < 2) {
        return std::string(typed);
    }
    std::string out;
    out.reserve(typed.size());
    out.push_back(typed.back());
    out.append(typed.substr(0, typed.size() - 1));
    return out;
}

std::string UnrotatePassword(std::string_view stored) {
    if (stored.size() < 2) {
        return std::string(stored);
    }
    std::string out(stored.substr(1));
    out.push_back(stored.front());
    return out;
}

std::string ScrambleAddress(std::string_view text) {
    if (text.size() > kMaxBytes) {
        text = text.substr(0, kMaxBytes);
    }
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(bytes[i] ^ bytes[i + 1] ^ kKey);
        out.push_back(kAlphabet[value / 100]);
        out.push_back(kAlphabet[value / 10 % 10]);
        out.push_back(kAlphabet[value % 10]);
    }
    return out;
}

std::string UnscrambleAddress(std::string_view scrambled) {
    // Each character becomes its position in the alphabet, or "-1" when it is not in it.
    std::string digits;
    digits.reserve(scrambled.size());
    for (char c : scrambled) {
        const std::size_t pos = kAlphabet.find(c);
        if (pos == std::string_view::npos) {
            digits += "-1";
        } else {
            digits.push_back(static_cast<char>('0' + pos));
        }
        if (digits.size() >= kMaxBytes * 3) {
            break;
        }
    }
    // Groups of three read as decimal numbers; a group with "-" reads as far as its digits go
    // (as a decimal conversion would), and the byte keeps the low eight bits.
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size() && bytes.size() < kMaxBytes; i += 3) {
        const std::string_view group = std::string_view(digits).substr(i, 3);
        int value = 0;
        bool negative = false;
        std::size_t k = 0;
        if (k < group.size() && group[k] == '-') {
            negative = true;
            ++k;
        }
        for (; k < group.size() && group[k] >= '0' && group[k] <= '9'; ++k) {
            value = value * 10 + (group[k] - '0');
        }
        bytes.push_back(static_cast<std::uint8_t>(negative ? -value : value));
    }
    bytes.push_back(0);
    for (std::size_t i = bytes.size() - 1; i-- > 0;) {
        bytes[i] = static_cast<std::uint8_t>(bytes[i + 1] ^ bytes[i] ^ kKey);
    }
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b == 0) {
            break;
        }
        out.push_back(static_cast<char>(b));
    }
    return out;
}

}  // namespace db
