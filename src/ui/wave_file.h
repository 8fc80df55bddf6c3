// The program's sounds are RIFF/WAVE files of 16-bit PCM samples; this reads one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ui {

struct PcmSound {
    unsigned channels = 0;
    unsigned rate = 0;                  // frames per second
    std::vector<std::int16_t> samples;  // interleaved, channels per frame

    std::size_t Frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The sound in a WAVE file of 16-bit little-endian PCM; nothing for any other format and for a
// file whose chunks do not fit in it. A data chunk that ends early keeps its whole frames.
std::optional<PcmSound> ParseWave(std::string_view bytes);

}  // namespace ui
