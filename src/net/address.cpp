#include "net/address.h"

#include <arpa/inet.h>

#include "common/text.h"

namespace net {

sockaddr_in Address::ToSockaddr() const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &to.sin_addr);
    return to;
}

std::optional<Address> ParseAddress(std::string_view ip, long long port) {
    const std::string text = common::TrimRight(ip);
    in_addr parsed{};
    if (text.empty() || inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
        return std::nullopt;
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return Address{text, static_cast<std::uint16_t>(port)};
}

std::optional<Address> ParseAddress(std::string_view ip, std::string_view port) {
    const std::string text = common::Trim(port);
    if (!common::IsDigits(text) || text.size() > 5) {
        return std::nullopt;
    }
    return ParseAddress(ip, common::ToInt(text));
}

Address FromSockaddr(const sockaddr_in& from) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    return Address{text, ntohs(from.sin_port)};
}

}  // namespace net
