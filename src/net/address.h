// An IPv4 address and UDP port as the contact table and the datagram texts hold them: dotted
// text and decimal text. A destination is usable only when both parse: a dotted-quad address and
// a port from 1 to 65535, so that nothing is ever sent to port 0 or to an address made of
// leftovers.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace net {

struct Address {
    std::string ip;          // dotted text, "192.168.1.20"
    std::uint16_t port = 0;  // host byte order

    bool operator==(const Address&) const = default;

    sockaddr_in ToSockaddr() const;
    std::string PortText() const { return std::to_string(port); }
};

// The destination named by an address text and a port text, or nothing when either is not
// usable. Trailing blanks (as fixed-width fields and stored values carry them) are ignored.
std::optional<Address> ParseAddress(std::string_view ip, std::string_view port);
// The same with a numeric port.
std::optional<Address> ParseAddress(std::string_view ip, long long port);
// The source of a received datagram.
Address FromSockaddr(const sockaddr_in& from);

}  // namespace net
