// qitai-relay: the central server's datagram service. Learns where each account's client
// receives ("x"), puts two clients in touch ("a" answered with "c" texts), forwards relayed
// texts ("w"), and tells a client whose account logged in elsewhere ("v"). One log line per
// event on standard error; SIGTERM or SIGINT stop it cleanly.
//
//   qitai-relay [--server ADDRESS] [--port-server PORT] [--default-port PORT] [--bind ADDRESS]
//
// The central database is the one of the data directory ($QITAI_HOME), on the engine its
// installation names, at --server (default: the server address its local store keeps).
// Port_server comes from the settings row unless --port-server is given; the default endpoint
// listens on 9876 unless --default-port names another.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "common/text.h"
#include "db/cadoex.h"
#include "net/relay_service.h"

namespace {

void LogLine(const std::string& line) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(stderr, "%s qitai-relay: %s\n", stamp, line.c_str());
    std::fflush(stderr);
}

volatile sig_atomic_t stop_fd = -1;

void OnStopSignal(int) {
    const char stop = 1;
    if (stop_fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(stop_fd, &stop, 1);
    }
}

bool PortArgument(const char* text, int& port) {
    if (!common::IsDigits(text) || std::strlen(text) > 5) {
        return false;
    }
    port = static_cast<int>(common::ToInt(text));
    return port >= 1 && port <= 65535;
}

int Usage() {
    std::fputs(
        "usage: qitai-relay [--server ADDRESS] [--port-server PORT] [--default-port PORT] "
        "[--bind ADDRESS]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    net::RelayOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            return Usage();
        }
        const char* value = argv[++i];
        if (flag == "--server") {
            options.server_address = value;
        } else if (flag == "--port-server") {
            if (!PortArgument(value, options.port_server)) {
                return Usage();
            }
        } else if (flag == "--default-port") {
            if (!PortArgument(value, options.default_port)) {
                return Usage();
            }
        } else if (flag == "--bind") {
            options.bind_ip = value;
        } else {
            return Usage();
        }
    }

    int status = 0;
    {
        net::RelayService service(LogLine);
        bool started = false;
        try {
            started = service.Start(options);
        } catch (const std::exception& failure) {
            LogLine(std::string("cannot start: ") + failure.what());
        }
        if (started) {
            stop_fd = service.StopFd();
            struct sigaction action {};
            action.sa_handler = OnStopSignal;
            sigemptyset(&action.sa_mask);
            sigaction(SIGTERM, &action, nullptr);
            sigaction(SIGINT, &action, nullptr);
            service.Run();
            stop_fd = -1;
        } else {
            status = 1;
        }
    }
    CentralDb.Close();
    return status;
}
