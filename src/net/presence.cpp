#include "net/presence.h"

#include "net/contact_table.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/session_context.h"

namespace net {

std::string OwnPresenceText() {
    return (SessionContext.online == session::kOnline ? "90" : "91") +
           PadRight(SessionContext.qq, 9);
}

void PresenceSender::Broadcast(const std::string& text) {
    for (const long long account : tree_.ContactItemAccounts()) {
        pacer_.Add([account, text] {
            const int index = ContactTable.FindContactByNumber(account);
            const auto address = ContactTable.AddressOf(index);
            if (!address) {
                return 0;
            }
            SendDatagram(text, *address);
            return kBroadcastPauseMs;
        });
    }
}

void PresenceSender::ProbeAndAnnounce() {
    const std::string probe = "d" + PadRight(SessionContext.qq, 9);
    for (int index = 0; index < kContactCount; ++index) {
        pacer_.Add([index, probe] {
            if (ContactTable.Linked(index) != "0") {
                return 0;
            }
            const auto address = ContactTable.AddressOf(index);
            if (!address) {
                return 0;
            }
            SendDatagram(probe, *address);
            return ContactTable.Linked(index) == "1" ? 0 : kProbePauseMs;
        });
    }
    Broadcast(OwnPresenceText());
}

void PresenceSender::SendLogoutNotices() {
    pacer_.Flush();
    const std::string text = "92" + PadRight(SessionContext.qq, 19);
    for (int index = 0; index < kContactCount; ++index) {
        if (const auto address = ContactTable.AddressOf(index)) {
            SendDatagram(text, *address);
        }
    }
}

}  // namespace net
