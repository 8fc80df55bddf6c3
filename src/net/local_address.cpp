#include "net/local_address.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <memory>

namespace net {

std::string FirstIpv4Address(const ifaddrs* interfaces) {
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        sockaddr_in address{};
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        // A loopback address on an interface not flagged as loopback is no use to others.
        if ((ntohl(address.sin_addr.s_addr) >> 24) == 127) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) != nullptr) {
            return text;
        }
    }
    return kLoopbackAddress;
}

std::string LocalIpv4Address() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return kLoopbackAddress;
    }
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owned(list, &freeifaddrs);
    return FirstIpv4Address(owned.get());
}

}  // namespace net
