// A test peer on the loopback interface: a UDP socket bound to 127.0.0.1 at a port the system
// picks, which sends bytes exactly as given and receives whole datagrams (NUL included), so a
// test can check the bytes a client or the relay put on the wire.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"
#include "net/udp_socket.h"

namespace testing_support {

struct Datagram {
    std::string bytes;  // every byte received, NUL included
    net::Address source;
};

class UdpPeer {
  public:
    UdpPeer();

    const net::Address& address() const { return address_; }
    std::uint16_t port() const { return address_.port; }
    // The bytes as one datagram, nothing added.
    void SendRaw(std::string_view bytes, const net::Address& to) const;
    // The bytes plus a NUL, as clients send texts.
    void SendText(std::string_view bytes, const net::Address& to) const;
    // The next datagram, waiting at most `timeout_ms`; nothing when none came.
    std::optional<Datagram> Receive(int timeout_ms = 3000) const;
    // Drops whatever has arrived and not been read.
    void Drain() const;

  private:
    net::UdpSocket socket_;
    net::Address address_;
};

// A text as clients send it: the bytes followed by their NUL.
std::string Nul(std::string text);
// What `peer` received before a marker that this client's own endpoint sends now: every earlier
// text from this client to the peer has arrived by then.
std::vector<std::string> ReceivedBeforeMarker(const UdpPeer& peer);

// Loopback at a port.
net::Address Loopback(std::uint16_t port);
// A port on the loopback interface that nothing was bound to a moment ago.
std::uint16_t FreeUdpPort();

}  // namespace testing_support
