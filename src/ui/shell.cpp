#include "ui/shell.h"

#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

extern char** environ;

namespace ui {

namespace {

// Used by the command-line tools, where nobody answers a message box and nothing ticks:
// timers never fire and posted work runs at once.
class ConsoleShell final : public Shell {
  public:
    Answer MessageBox(const std::string& text, const std::string& caption,
                      Buttons buttons) override {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    [[noreturn]] void EndProcess(int code) override {
        std::fflush(nullptr);
        std::_Exit(code & 0xff);
    }
    void SetTimer(int, int, std::function<void()>) override {}
    void KillTimer(int) override {}
    void Post(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        work();
    }
    bool SetClipboardText(const std::string&) override { return false; }
    bool OpenAddress(const std::string&) override { return false; }
    void PlaySound(const std::string&) override {}
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
        return StartDetached(program, args);
    }

  private:
    std::mutex mutex_;
};

ConsoleShell console_shell;
Shell* current_shell = nullptr;

}  // namespace

Shell& CurrentShell() {
    return current_shell != nullptr ? *current_shell : console_shell;
}

void SetCurrentShell(Shell* shell) {
    current_shell = shell;
}

void EndProcess(int code) {
    CurrentShell().EndProcess(code);
    std::abort();  // a shell's EndProcess never returns
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> storage;
    storage.push_back(program);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    if (access(program.c_str(), X_OK) != 0) {
        return false;
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0;
}

}  // namespace ui
