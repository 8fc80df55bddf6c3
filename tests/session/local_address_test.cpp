// The own address reported to others: the first usable IPv4 address of the interfaces.
#include "net/local_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

struct Interface {
    int family;  // AF_INET, AF_INET6 or -1 for an entry without an address
    std::string address;
    unsigned flags;
};

// A list of interfaces as getifaddrs gives it, built from the table of a test case.
class InterfaceList {
  public:
    explicit InterfaceList(const std::vector<Interface>& interfaces) {
        for (const auto& i : interfaces) {
            auto& entry = entries_.emplace_back();
            entry.ifa_flags = i.flags;
            if (i.family == AF_INET) {
                auto& a = v4_.emplace_back();
                a.sin_family = AF_INET;
                inet_pton(AF_INET, i.address.c_str(), &a.sin_addr);
                entry.ifa_addr = reinterpret_cast<sockaddr*>(&a);
            } else if (i.family == AF_INET6) {
                auto& a = v6_.emplace_back();
                a.sin6_family = AF_INET6;
                inet_pton(AF_INET6, i.address.c_str(), &a.sin6_addr);
                entry.ifa_addr = reinterpret_cast<sockaddr*>(&a);
            }
        }
        for (std::size_t k = 0; k + 1 < entries_.size(); ++k) {
            entries_[k].ifa_next = &entries_[k + 1];
        }
    }
    const ifaddrs* head() const { return entries_.empty() ? nullptr : &entries_.front(); }

  private:
    std::deque<ifaddrs> entries_;  // a deque keeps the addresses of its elements
    std::deque<sockaddr_in> v4_;
    std::deque<sockaddr_in6> v6_;
};

struct Case {
    std::string name;
    std::vector<Interface> interfaces;
    std::string expected;
};

TEST(LocalAddress, FirstUsableIpv4AddressElseLoopback) {
    const unsigned up = IFF_UP;
    const unsigned loop = IFF_UP | IFF_LOOPBACK;
    const std::vector<Case> cases = {
        {"no interfaces", {}, "127.0.0.1"},
        {"loopback only", {{AF_INET, "127.0.0.1", loop}}, "127.0.0.1"},
        {"loopback first",
         {{AF_INET, "127.0.0.1", loop}, {AF_INET, "192.168.1.20", up}},
         "192.168.1.20"},
        {"first of two", {{AF_INET, "10.0.0.5", up}, {AF_INET, "192.168.1.20", up}}, "10.0.0.5"},
        {"IPv6 and entries without an address are skipped",
         {{AF_INET6, "fe80::1", up}, {-1, "", up}, {AF_INET, "172.16.0.9", up}},
         "172.16.0.9"},
        {"an interface that is down",
         {{AF_INET, "10.0.0.5", 0}, {AF_INET, "10.0.0.6", up}},
         "10.0.0.6"},
        {"a loopback address without the flag", {{AF_INET, "127.0.1.1", up}}, "127.0.0.1"},
    };
    for (const auto& c : cases) {
        const InterfaceList list(c.interfaces);
        EXPECT_EQ(net::FirstIpv4Address(list.head()), c.expected) << c.name;
    }
}

TEST(LocalAddress, TheHostGivesADottedAddress) {
    const std::string address = net::LocalIpv4Address();
    in_addr parsed{};
    EXPECT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << address;
}

}  // namespace
