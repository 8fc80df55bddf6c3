// The two endpoints of the central server: the relay service at the central server address
// and the session's Port_server, and the default endpoint (the installation's address, else the
// central server address) at port 9876. The texts the contacts tree load sends them at start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/address.h"

namespace net {

inline constexpr std::uint16_t kDefaultServerPort = 9876;

// SessionContext.CurrentIp at SessionContext.Port_server; nothing when either is unusable.
std::optional<Address> RelayServer();
// The installation's `default_server` (an address, optionally followed by ":" and a port that
// takes the place of 9876 on test installations), else CurrentIp, at port 9876.
std::optional<Address> DefaultServer();

// "ok 888" to the default endpoint, then "x" + own account to the relay, which records where
// this client receives.
void SendServerGreetings();
// "a" + contact + own account to the relay, which answers by putting both clients in touch.
void AskRelayToConnect(const std::string& contact_account);

}  // namespace net
