// Sounds: reading the WAVE resources, and playing them through the audio library.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/qt_app.h"
#include "support/temp_home.h"
#include "ui/qt/resources.h"
#include "ui/sound_output.h"
#include "ui/wave_file.h"

namespace {

std::string Le16(unsigned v) {
    return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
}

std::string Le32(unsigned v) {
    return Le16(v & 0xffff) + Le16(v >> 16);
}

std::string Chunk(const std::string& id, const std::string& body,
                  std::optional<unsigned> size = {}) {
    std::string out = id + Le32(size.value_or(static_cast<unsigned>(body.size()))) + body;
    if (body.size() % 2 == 1) {
        out += '\0';
    }
    return out;
}

std::string Format(unsigned format, unsigned channels, unsigned rate, unsigned bits) {
    return Chunk("fmt ", Le16(format) + Le16(channels) + Le32(rate) +
                             Le32(rate * channels * bits / 8) + Le16(channels * bits / 8) +
                             Le16(bits));
}

std::string Samples(const std::vector<int>& values) {
    std::string out;
    for (const int v : values) {
        out += Le16(static_cast<unsigned>(v) & 0xffff);
    }
    return out;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<unsigned>(4 + chunks.size())) + "WAVE" + chunks;
}

struct WaveCase {
    std::string name;
    std::string bytes;
    std::optional<std::vector<std::int16_t>> samples;  // nothing: not a usable sound
    unsigned channels = 1;
};

TEST(WaveFile, ReadsSixteenBitPcmAndRefusesTheRest) {
    const std::string mono = Format(1, 1, 22050, 16);
    const std::string data = Chunk("data", Samples({1, -1, 32767, -32768}));
    const std::vector<WaveCase> cases = {
        {"mono", Riff(mono + data), std::vector<std::int16_t>{1, -1, 32767, -32768}},
        {"stereo keeps whole frames of a short data chunk",
         Riff(Format(1, 2, 44100, 16) + Chunk("data", Samples({5, 6, 7}))),
         std::vector<std::int16_t>{5, 6}, 2},
        {"an odd-sized chunk before the data is skipped with its padding",
         Riff(mono + Chunk("LIST", "abc") + data), std::vector<std::int16_t>{1, -1, 32767, -32768}},
        {"a data chunk longer than the file keeps what is there",
         Riff(mono + Chunk("data", Samples({9, 8}), 1000)), std::vector<std::int16_t>{9, 8}},
        {"8-bit samples", Riff(Format(1, 1, 8000, 8) + data), std::nullopt},
        {"compressed samples", Riff(Format(3, 1, 8000, 16) + data), std::nullopt},
        {"no channels", Riff(Format(1, 0, 8000, 16) + data), std::nullopt},
        {"data before the format", Riff(data + mono), std::nullopt},
        {"no data", Riff(mono), std::nullopt},
        {"a format chunk larger than the file", Riff(Chunk("fmt ", "x", 400)), std::nullopt},
        {"not a WAVE file", "RIFF\x04\0\0\0AVI ", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto sound = ui::ParseWave(c.bytes);
        ASSERT_EQ(sound.has_value(), c.samples.has_value()) << c.name;
        if (sound) {
            EXPECT_EQ(sound->samples, *c.samples) << c.name;
            EXPECT_EQ(sound->channels, c.channels) << c.name;
        }
    }
}

TEST(WaveFile, TheBuiltInSoundsAreReadable) {
    testing_support::EnsureQtApplication();
    ui::qt::EnsureResources();
    for (const char* name : {"IDR_MSG", "IDR_SYSTEM"}) {
        QFile file(QString(":/sounds/") + name + ".wav");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        const auto sound = ui::ParseWave(std::string_view(bytes.constData(), bytes.size()));
        ASSERT_TRUE(sound) << name;
        EXPECT_GT(sound->Frames(), 1000u) << name;
    }
}

// The audio library's file output stands in for a sound card: what is played lands in a file.
TEST(SoundOutput, PlaysWholeSoundsOneAfterAnother) {
    if (std::unique_ptr<void, int (*)(void*)>(dlopen("libasound.so.2", RTLD_NOW), &dlclose) ==
        nullptr) {
        GTEST_SKIP() << "no audio library on this machine";
    }
    testing_support::TempHome home;
    const std::filesystem::path out = home.path() / "played.raw";
    const std::filesystem::path config = home.path() / "asound.conf";
    std::ofstream(config) << "pcm.!default { type file slave { pcm { type null } } file \""
                          << out.string() << "\" format \"raw\" }\n";
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);

    ui::PcmSound sound;
    sound.channels = 1;
    sound.rate = 22050;
    for (int i = 0; i < 5000; ++i) {
        sound.samples.push_back(static_cast<std::int16_t>(i * 7 - 16000));
    }
    std::string played;
    {
        ui::SoundOutput output;
        output.Play(sound);
        output.WaitIdle();
        EXPECT_EQ(output.LastError(), "");
        std::ifstream in(out, std::ios::binary);
        played.resize(std::filesystem::exists(out) ? std::filesystem::file_size(out) : 0);
        in.read(played.data(), static_cast<std::streamsize>(played.size()));
    }
    unsetenv("ALSA_CONFIG_PATH");
    ASSERT_EQ(played.size(), sound.samples.size() * 2);
    EXPECT_EQ(played.substr(0, 4), Samples({-16000, -15993}));
}

}  // namespace
