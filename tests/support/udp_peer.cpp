#include "support/udp_peer.h"

#include "net/udp_endpoint.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace testing_support {

UdpPeer::UdpPeer() : socket_(net::UdpSocket::Create()) {
    if (!socket_.Bind(0, "127.0.0.1")) {
        throw std::runtime_error("test peer: cannot bind a loopback socket");
    }
    address_ = Loopback(socket_.LocalPort());
}

void UdpPeer::SendRaw(std::string_view bytes, const net::Address& to) const {
    socket_.SendRaw(bytes, to);
}

void UdpPeer::SendText(std::string_view bytes, const net::Address& to) const {
    socket_.SendText(bytes, to);
}

std::optional<Datagram> UdpPeer::Receive(int timeout_ms) const {
    pollfd wanted{socket_.fd(), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&wanted, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return std::nullopt;
    }
    std::vector<char> buffer(65536);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(socket_.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) {
        return std::nullopt;
    }
    return Datagram{std::string(buffer.data(), static_cast<std::size_t>(got)),
                    net::FromSockaddr(from)};
}

void UdpPeer::Drain() const {
    while (Receive(0)) {
    }
}

net::Address Loopback(std::uint16_t port) {
    return net::Address{"127.0.0.1", port};
}

std::uint16_t FreeUdpPort() {
    net::UdpSocket probe = net::UdpSocket::Create();
    if (!probe.Bind(0, "127.0.0.1")) {
        throw std::runtime_error("no free loopback port");
    }
    return probe.LocalPort();
}

std::string Nul(std::string text) {
    text.push_back('\0');
    return text;
}

std::vector<std::string> ReceivedBeforeMarker(const UdpPeer& peer) {
    net::SendDatagram("marker", peer.address());
    std::vector<std::string> got;
    // Bounded, so that a lost marker ends the wait instead of the test.
    for (int i = 0; i < 400; ++i) {
        const auto datagram = peer.Receive();
        if (!datagram || datagram->bytes == Nul("marker")) {
            return got;
        }
        got.push_back(datagram->bytes);
    }
    return got;
}

}  // namespace testing_support
