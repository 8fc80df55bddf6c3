#include "relay_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace relay_testing {

RelayProcess::RelayProcess(const std::vector<std::string>& args) {
    std::array<int, 2> fds{-1, -1};
    if (::pipe2(fds.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe for the relay's log");
    }
    log_ = net::FileHandle(fds[0]);
    net::FileHandle write_end(fds[1]);

    std::vector<std::string> storage{QITAI_RELAY_BIN};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDERR_FILENO);
    const int rc = posix_spawn(&pid_, storage[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + storage[0]);
    }
}

RelayProcess::~RelayProcess() {
    Stop();
}

bool RelayProcess::ReadMore(int timeout_ms) {
    pollfd wanted{log_.get(), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&wanted, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return false;
    }
    std::array<char, 4096> buffer{};
    const ssize_t got = ::read(log_.get(), buffer.data(), buffer.size());
    if (got <= 0) {
        return false;  // the relay closed its standard error: it ended
    }
    partial_.append(buffer.data(), static_cast<std::size_t>(got));
    for (std::size_t end = partial_.find('\n'); end != std::string::npos;
         end = partial_.find('\n')) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
    return true;
}

std::optional<std::string> RelayProcess::WaitForLog(const std::string& text) {
    for (int reads = 0; reads < 1000; ++reads) {
        for (; cursor_ < lines_.size(); ++cursor_) {
            if (lines_[cursor_].find(text) != std::string::npos) {
                return lines_[cursor_++];
            }
        }
        if (!ReadMore(10000)) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

int RelayProcess::Stop() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    while (ReadMore(0)) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace relay_testing
