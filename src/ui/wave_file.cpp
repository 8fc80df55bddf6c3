#include "ui/wave_file.h"

namespace ui {

namespace {

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

std::optional<PcmSound> ParseWave(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        return std::nullopt;
    }
    PcmSound sound;
    bool have_format = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string_view id = bytes.substr(at, 4);
        const std::size_t size = Read32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > available) {
                return std::nullopt;
            }
            const unsigned format = Read16(bytes, body);
            sound.channels = Read16(bytes, body + 2);
            sound.rate = Read32(bytes, body + 4);
            const unsigned bits = Read16(bytes, body + 14);
            if (format != 1 || bits != 16 || sound.channels == 0 || sound.rate == 0) {
                return std::nullopt;
            }
            have_format = true;
        } else if (id == "data") {
            if (!have_format) {
                return std::nullopt;
            }
            const std::size_t frame_bytes = 2 * sound.channels;
            const std::size_t length =
                (size < available ? size : available) / frame_bytes * frame_bytes;
            sound.samples.resize(length / 2);
            for (std::size_t i = 0; i < sound.samples.size(); ++i) {
                sound.samples[i] = static_cast<std::int16_t>(Read16(bytes, body + 2 * i));
            }
            return sound;
        }
        // Chunks are padded to an even length.
        const std::size_t next = size + (size & 1);
        if (next > available) {
            break;
        }
        at = body + next;
    }
    return std::nullopt;
}

}  // namespace ui
