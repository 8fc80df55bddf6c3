#include "ui/sound_output.h"

#include <dlfcn.h>

#include <memory>

namespace ui {

namespace {

// The few calls of the ALSA library the output needs, found when the program runs.
struct Alsa {
    using Open = int (*)(void** pcm, const char* name, int stream, int mode);
    using SetParams = int (*)(void* pcm, int format, int access, unsigned channels, unsigned rate,
                              int soft_resample, unsigned latency_us);
    using WriteFrames = long (*)(void* pcm, const void* buffer, unsigned long frames);
    using Recover = int (*)(void* pcm, int error, int silent);
    using PcmCall = int (*)(void* pcm);
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetErrorHandler = int (*)(ErrorHandler handler);

    static constexpr int kPlayback = 0;
    static constexpr int kFormatS16Le = 2;
    static constexpr int kAccessRwInterleaved = 3;

    std::unique_ptr<void, int (*)(void*)> library{nullptr, &dlclose};
    Open open = nullptr;
    SetParams set_params = nullptr;
    WriteFrames write = nullptr;
    Recover recover = nullptr;
    PcmCall drain = nullptr;
    PcmCall close = nullptr;

    template <typename Function>
    bool Find(Function& function, const char* name) {
        void* symbol = dlsym(library.get(), name);
        function = reinterpret_cast<Function>(symbol);
        return symbol != nullptr;
    }
};

// ALSA reports every failure on standard error as well; the output reports its own.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

const Alsa* LoadAlsa() {
    static const std::unique_ptr<Alsa> alsa = []() -> std::unique_ptr<Alsa> {
        auto loaded = std::make_unique<Alsa>();
        loaded->library.reset(dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL));
        if (loaded->library == nullptr) {
            return nullptr;
        }
        Alsa::SetErrorHandler set_error_handler = nullptr;
        if (!loaded->Find(loaded->open, "snd_pcm_open") ||
            !loaded->Find(loaded->set_params, "snd_pcm_set_params") ||
            !loaded->Find(loaded->write, "snd_pcm_writei") ||
            !loaded->Find(loaded->recover, "snd_pcm_recover") ||
            !loaded->Find(loaded->drain, "snd_pcm_drain") ||
            !loaded->Find(loaded->close, "snd_pcm_close")) {
            return nullptr;
        }
        if (loaded->Find(set_error_handler, "snd_lib_error_set_handler")) {
            set_error_handler(&Quiet);
        }
        return loaded;
    }();
    return alsa.get();
}

// An open playback device, closed at the end of the scope.
class Pcm {
  public:
    Pcm(const Alsa& alsa, int& error) : alsa_(alsa) {
        error = alsa_.open(&pcm_, "default", Alsa::kPlayback, 0);
        if (error < 0) {
            pcm_ = nullptr;
        }
    }
    ~Pcm() {
        if (pcm_ != nullptr) {
            alsa_.close(pcm_);
        }
    }
    Pcm(const Pcm&) = delete;
    Pcm& operator=(const Pcm&) = delete;
    void* get() const { return pcm_; }

  private:
    const Alsa& alsa_;
    void* pcm_ = nullptr;
};

}  // namespace

SoundOutput::SoundOutput() : thread_([this] { Run(); }) {}

SoundOutput::~SoundOutput() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    thread_.join();
}

void SoundOutput::Play(PcmSound sound) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(sound);
    }
    wake_.notify_all();
}

void SoundOutput::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !playing_; });
}

std::string SoundOutput::LastError() {
    std::lock_guard lock(mutex_);
    return last_error_;
}

void SoundOutput::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (stop_) {
            return;
        }
        const PcmSound sound = std::move(*pending_);
        pending_.reset();
        playing_ = true;
        lock.unlock();
        std::string error;
        Write(sound, error);
        lock.lock();
        last_error_ = error;
        playing_ = false;
        if (!pending_) {
            idle_.notify_all();
        }
    }
}

bool SoundOutput::Write(const PcmSound& sound, std::string& error) {
    const Alsa* alsa = LoadAlsa();
    if (alsa == nullptr) {
        error = "no audio library (libasound.so.2)";
        return false;
    }
    int rc = 0;
    const Pcm pcm(*alsa, rc);
    if (pcm.get() == nullptr) {
        error = "no audio device (" + std::to_string(rc) + ")";
        return false;
    }
    rc = alsa->set_params(pcm.get(), Alsa::kFormatS16Le, Alsa::kAccessRwInterleaved, sound.channels,
                          sound.rate, 1, 100000);
    if (rc < 0) {
        error = "the audio device refused the format (" + std::to_string(rc) + ")";
        return false;
    }
    std::size_t done = 0;
    const std::size_t frames = sound.Frames();
    int failures = 0;
    while (done < frames) {
        const long written =
            alsa->write(pcm.get(), sound.samples.data() + done * sound.channels, frames - done);
        if (written < 0) {
            // An underrun or a suspended device: recover and go on, a few times at most.
            if (++failures > 3 || alsa->recover(pcm.get(), static_cast<int>(written), 1) < 0) {
                error = "writing to the audio device failed (" + std::to_string(written) + ")";
                return false;
            }
            continue;
        }
        failures = 0;
        done += static_cast<std::size_t>(written);
    }
    alsa->drain(pcm.get());
    return true;
}

}  // namespace ui
