// The own address that the client reports to others (`localIp`): the first IPv4 address of
// an interface that is up and not the loopback, else 127.0.0.1. Resolving the host's own name,
// as the Windows client did, often gives a loopback address on Linux.
#pragma once

#include <ifaddrs.h>

#include <string>

namespace net {

inline constexpr const char* kLoopbackAddress = "127.0.0.1";

// The address from the host's interfaces.
std::string LocalIpv4Address();
// The same from a list of interfaces as getifaddrs gives it (nullptr: none).
std::string FirstIpv4Address(const ifaddrs* interfaces);

}  // namespace net
