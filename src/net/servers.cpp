#include "net/servers.h"

#include "common/text.h"
#include "db/installation.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/session_context.h"

namespace net {

std::optional<Address> RelayServer() {
    return ParseAddress(common::Trim(SessionContext.CurrentIp), SessionContext.Port_server);
}

std::optional<Address> DefaultServer() {
    const std::string configured = common::Trim(db::CurrentInstallation().default_server);
    if (configured.empty()) {
        return ParseAddress(common::Trim(SessionContext.CurrentIp), kDefaultServerPort);
    }
    const std::size_t colon = configured.find(':');
    if (colon == std::string::npos) {
        return ParseAddress(configured, kDefaultServerPort);
    }
    return ParseAddress(std::string_view(configured).substr(0, colon),
                        std::string_view(configured).substr(colon + 1));
}

void SendServerGreetings() {
    if (const auto server = DefaultServer()) {
        SendDatagram("ok 888", *server);
    }
    if (const auto relay = RelayServer()) {
        SendDatagram("x" + PadRight(SessionContext.qq, 9), *relay);
    }
}

void AskRelayToConnect(const std::string& contact_account) {
    if (const auto relay = RelayServer()) {
        SendDatagram("a" + PadRight(contact_account, 9) + PadRight(SessionContext.qq, 9), *relay);
    }
}

}  // namespace net
