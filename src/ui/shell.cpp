#include "ui/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "common/data_dir.h"

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
    std::unique_ptr<Form> CreateForm(const std::string& template_name) override {
        std::fprintf(stderr, "qitai: no window system for the window \"%s\"\n",
                     template_name.c_str());
        EndProcess(-1);
    }
    int RunModal(Form&) override { return kResultCancel; }
    Form* FindWindow(const std::string&) override { return nullptr; }
    bool ClaimInstance(const std::string& name) override { return HoldProcessLock(name); }
    bool AddTrayIcon(const std::string&, const std::string&,
                     std::function<void(TrayEvent)>) override {
        return false;
    }
    void SetTrayIcon(const std::string&) override {}
    void RemoveTrayIcon() override {}
    int PopupMenu(const std::vector<MenuItem>&) override { return 0; }
    bool ChooseFont(Font&) override { return false; }

  private:
    std::mutex mutex_;
};

// An open lock file; closing it releases the lock.
class LockFile {
  public:
    explicit LockFile(int fd) : fd_(fd) {}
    ~LockFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

  private:
    int fd_;
};

// A file name for any text: its bytes in hex; a long text keeps its first bytes and adds a
// 64-bit FNV-1a hash of the whole, so that file names stay short and distinct.
std::string LockFileName(const std::string& name) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "instance-";
    const std::size_t kept = name.size() < 90 ? name.size() : 90;
    for (std::size_t i = 0; i < kept; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        out += digits[c >> 4];
        out += digits[c & 0xf];
    }
    if (kept < name.size()) {
        std::uint64_t hash = 14695981039346656037ull;
        for (const unsigned char c : name) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        out += '-';
        for (int shift = 60; shift >= 0; shift -= 4) {
            out += digits[(hash >> shift) & 0xf];
        }
    }
    return out + ".lock";
}

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

bool HoldProcessLock(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<LockFile>> held;
    std::lock_guard lock(mutex);
    if (held.count(name) != 0) {
        return true;
    }
    if (!common::EnsureDataDir()) {
        return true;  // nowhere to keep a lock: do not keep the person out
    }
    const std::string path = (common::DataDir() / LockFileName(name)).string();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return true;
    }
    auto file = std::make_unique<LockFile>(fd);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    held.emplace(name, std::move(file));
    return true;
}

}  // namespace ui
