// The link texts that the receive thread answers itself, at once, before the user-interface
// thread sees them: the peer's port from presence texts ("90", "91"), the two-way handshake
// ("c" from the relay, "bClient", "d", "e"). Each test runs on the same text, in this order.
//
//   "90"/"91" + account(9)        the contact's lastport = the source port
//   "bClient" + account(9)        the contact's address = the source, linked; reply "d" + own
//   "c" + ip(15) + port(5) + ...  (longer than 22) send "bClient" + own to ip:port
//   "d"/"e" + account(9)          the contact's address = the source, linked; "d" gets "e" + own
//   "bS"...                       recognised and ignored
//
// Only `qq`, `lastip`, `lastport` and `linked` of the table are touched, each change finished
// before a reply goes out.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "net/address.h"
#include "net/contact_table.h"
#include "net/wire_text.h"

namespace net {

// Sends a wire text (GBK bytes, without NUL) to an address.
using WireSend = std::function<void(std::string_view bytes, const Address& to)>;

void HandleLinkCode(const WireText& text, const Address& source, const std::string& own_account,
                    Contacts& table, const WireSend& send);

}  // namespace net
