#include "net/udp_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "common/gbk.h"
#include "net/link_probe.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace net {

bool UdpEndpoint::Open(int port) {
    Close();
    // The receive thread is woken for its end through a pipe; without one the endpoint could
    // not be stopped, which is the socket layer failing to start.
    std::array<int, 2> pipe_fds{-1, -1};
    if (::pipe2(pipe_fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        ui::CurrentShell().MessageBox("Socket Stack Error!", "Error", ui::Buttons::OkCancel);
        return false;
    }
    wake_read_ = FileHandle(pipe_fds[0]);
    wake_write_ = FileHandle(pipe_fds[1]);

    UdpSocket socket = UdpSocket::Create();
    if (!socket.valid()) {
        wake_read_.Reset();
        wake_write_.Reset();
        ui::CurrentShell().MessageBox("创建套接字失败!", "提示", ui::Buttons::OkCancel);
        return false;
    }
    const auto bind_to = [&socket](int p) {
        return p >= 0 && p <= 65535 && socket.Bind(static_cast<std::uint16_t>(p));
    };
    if (!bind_to(port) && !bind_to(port + 1)) {
        ui::CurrentShell().MessageBox("连接初始化失败!", "提示", ui::Buttons::OkCancel);
        socket.Close();
        wake_read_.Reset();
        wake_write_.Reset();
        ui::EndProcess(-1);
    }
    socket_ = std::move(socket);
    return true;
}

bool UdpEndpoint::StartReceiving(std::string own_account, Contacts& table,
                                 DatagramHandler handler) {
    if (!IsOpen() || IsReceiving()) {
        return false;
    }
    auto shared = std::make_shared<const DatagramHandler>(std::move(handler));
    thread_ = std::thread(
        [this, own = std::move(own_account), &table, shared] { ReceiveLoop(own, table, shared); });
    return true;
}

void UdpEndpoint::ReceiveLoop(const std::string& own_account, Contacts& table,
                              const std::shared_ptr<const DatagramHandler>& handler) const {
    const WireSend reply = [this](std::string_view bytes, const Address& to) {
        socket_.SendText(bytes, to);
    };
    std::array<pollfd, 2> wanted{pollfd{socket_.fd(), POLLIN, 0},
                                 pollfd{wake_read_.get(), POLLIN, 0}};
    for (;;) {
        wanted[0].revents = 0;
        wanted[1].revents = 0;
        if (::poll(wanted.data(), wanted.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // the descriptors are unusable: nothing more can arrive
        }
        if (wanted[1].revents != 0) {
            return;  // Close() asked the thread to end
        }
        if ((wanted[0].revents & POLLIN) == 0) {
            continue;
        }
        auto received = socket_.ReceiveReady();
        if (!received) {
            continue;  // a read error or a datagram longer than 2000 bytes: dropped
        }
        WireText text(std::move(received->bytes));
        // The user-interface thread gets its own copy, which lives until its handler has run.
        ui::CurrentShell().Post([handler, text] { (*handler)(text); });
        HandleLinkCode(text, received->source, own_account, table, reply);
    }
}

void UdpEndpoint::StopThread() {
    if (!thread_.joinable()) {
        return;
    }
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_write_.get(), &stop, 1);
    thread_.join();
}

void UdpEndpoint::Close() {
    StopThread();
    socket_.Close();
    wake_read_.Reset();
    wake_write_.Reset();
}

UdpEndpoint& ProcessEndpoint() {
    // Made on first use, after ContactTable and SessionContext exist, so it is destroyed (and
    // its thread joined) before them.
    static UdpEndpoint endpoint;
    return endpoint;
}

void StartUdpEndpoint() {
    constexpr int kLocalPort = 0;
    ProcessEndpoint().Open(kLocalPort);
    SessionContext.udpSocket = ProcessEndpoint().fd();
}

void StartReceiveThread(DatagramHandler handler) {
    ProcessEndpoint().StartReceiving(SessionContext.qq, ContactTable, std::move(handler));
}

void StopUdpEndpoint() {
    ProcessEndpoint().Close();
    SessionContext.udpSocket = -1;
}

void SendDatagram(std::string_view utf8, const Address& to) {
    ProcessEndpoint().Send(common::Utf8ToGbk(utf8), to);
}

}  // namespace net
