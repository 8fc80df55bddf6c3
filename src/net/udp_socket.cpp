#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace net {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int FileHandle::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileHandle::Reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

UdpSocket UdpSocket::Create() {
    return UdpSocket(FileHandle(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)));
}

bool UdpSocket::Bind(std::uint16_t port, const std::string& ip) {
    if (!valid()) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!ip.empty() && inet_pton(AF_INET, ip.c_str(), &local.sin_addr) != 1) {
        return false;
    }
    return ::bind(fd(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (!valid() || ::getsockname(fd(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

void UdpSocket::SendRaw(std::string_view bytes, const Address& to) const {
    if (!valid()) {
        return;
    }
    const sockaddr_in destination = to.ToSockaddr();
    // MSG_NOSIGNAL: a failed send must never raise a signal; its result is ignored.
    [[maybe_unused]] const ssize_t sent =
        ::sendto(fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
}

void UdpSocket::SendText(std::string_view bytes, const Address& to) const {
    std::string datagram(bytes);
    datagram.push_back('\0');
    SendRaw(datagram, to);
}

std::optional<Received> UdpSocket::ReceiveReady() const {
    if (!valid()) {
        return std::nullopt;
    }
    std::array<char, kMaxDatagram> buffer{};
    sockaddr_in from{};
    socklen_t from_length = sizeof from;
    // MSG_TRUNC makes the call report the datagram's real length, so that one longer than the
    // buffer is recognised and dropped instead of being taken cut short.
    const ssize_t length = ::recvfrom(fd(), buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&from), &from_length);
    if (length < 0 || static_cast<std::size_t>(length) > buffer.size()) {
        return std::nullopt;
    }
    return Received{
        TextOfDatagram(std::string_view(buffer.data(), static_cast<std::size_t>(length))),
        FromSockaddr(from)};
}

std::optional<Received> UdpSocket::Receive(int timeout_ms) const {
    if (!valid()) {
        return std::nullopt;
    }
    pollfd wanted{fd(), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&wanted, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return std::nullopt;
    }
    return ReceiveReady();
}

std::string TextOfDatagram(std::string_view datagram) {
    const std::size_t nul = datagram.find('\0');
    return std::string(nul == std::string_view::npos ? datagram : datagram.substr(0, nul));
}

}  // namespace net
