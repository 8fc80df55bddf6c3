// An owned IPv4 datagram socket. Every text travels as its bytes plus one NUL in a single
// datagram; the receiving side reads at most kMaxDatagram bytes and drops anything longer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/address.h"

namespace net {

// The largest datagram a client accepts, NUL included: a text is at most 1999 bytes.
inline constexpr std::size_t kMaxDatagram = 2000;

// An owned file descriptor, closed when the owner goes.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { Reset(); }
    FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release();
    void Reset();

  private:
    int fd_ = -1;
};

struct Received {
    std::string bytes;  // the text: the datagram up to its first NUL
    Address source;
};

class UdpSocket {
  public:
    UdpSocket() = default;
    // An unbound IPv4 datagram socket; valid() is false when the system gives none.
    static UdpSocket Create();

    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // Binds to the given address text ("" or "0.0.0.0" = any interface) and port (0 = any).
    bool Bind(std::uint16_t port, const std::string& ip = "");
    // The port the socket is bound to, 0 when unbound.
    std::uint16_t LocalPort() const;
    // Sends the bytes plus a terminating NUL as one datagram. Failures are not reported.
    void SendText(std::string_view bytes, const Address& to) const;
    // Sends the bytes exactly as given (no NUL added): for tests and tools that speak raw.
    void SendRaw(std::string_view bytes, const Address& to) const;
    // Reads one datagram that is ready; nothing when the read fails or the datagram was longer
    // than kMaxDatagram (it is dropped).
    std::optional<Received> ReceiveReady() const;
    // Waits at most `timeout_ms` for a datagram, then reads it as ReceiveReady does.
    std::optional<Received> Receive(int timeout_ms) const;
    void Close() { fd_.Reset(); }

  private:
    explicit UdpSocket(FileHandle fd) : fd_(std::move(fd)) {}
    FileHandle fd_;
};

// The text of a datagram: its bytes up to the first NUL, or all of them when there is none.
std::string TextOfDatagram(std::string_view datagram);

}  // namespace net
