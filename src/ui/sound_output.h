// Plays sounds without making the caller wait: a thread of its own writes them to the
// desktop's audio through the ALSA library's default device (where PulseAudio and PipeWire
// also take sound). The library is loaded when the program runs, so that a computer without
// it, or without an audio device, simply stays silent.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "ui/wave_file.h"

namespace ui {

class SoundOutput {
  public:
    SoundOutput();
    // Lets the sound that plays finish, drops the one that waits, and ends the thread.
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Queues the sound and returns at once; a sound that still waits is replaced by it.
    void Play(PcmSound sound);
    // Returns when nothing plays and nothing waits.
    void WaitIdle();
    // The last failure of the audio device or library, empty when sound went out.
    std::string LastError();

  private:
    void Run();
    // Writes one sound to the device; false with the reason in `error`.
    bool Write(const PcmSound& sound, std::string& error);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<PcmSound> pending_;
    bool playing_ = false;
    bool stop_ = false;
    std::string last_error_;
    std::thread thread_;
};

}  // namespace ui
