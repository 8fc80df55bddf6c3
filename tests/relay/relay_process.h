// The relay as a process of its own for the tests: started with arguments on the test's data
// directory, its standard error read line by line, stopped with SIGTERM.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "net/udp_socket.h"

namespace relay_testing {

class RelayProcess {
  public:
    explicit RelayProcess(const std::vector<std::string>& args);
    ~RelayProcess();
    RelayProcess(const RelayProcess&) = delete;
    RelayProcess& operator=(const RelayProcess&) = delete;

    bool running() const { return pid_ > 0; }
    // The next log line after the last one found that contains `text`, waiting at most 10 s
    // for it; nothing when it did not come (or the relay ended).
    std::optional<std::string> WaitForLog(const std::string& text);
    // SIGTERM, then the exit status (-1 when it did not end normally).
    int Stop();
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    bool ReadMore(int timeout_ms);

    pid_t pid_ = -1;
    net::FileHandle log_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::size_t cursor_ = 0;
};

}  // namespace relay_testing
