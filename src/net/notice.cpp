#include "net/notice.h"

#include "common/text.h"
#include "db/cadoex.h"
#include "db/sql_text.h"
#include "net/contact_table.h"
#include "net/servers.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/session_context.h"

namespace net {

namespace {

bool StoreOffline(int index, const std::string& text) {
    const std::string target = ContactTable.Qq(index);
    if (!common::IsDigits(target) || !common::IsDigits(SessionContext.qq)) {
        return false;  // no account to file the row under
    }
    if (!CentralDb.IsOpen()) {
        CentralDb.ConnectCentral();
    }
    const ContactEntry& entry = ContactTable.Entry(index);
    const bool stored = CentralDb.Execute(
        "insert into zsv_dialog (source,target,sourcename,targetname,speak,speakdate,sourceip,"
        "targetip,affirm) values( " +
        SessionContext.qq + "," + target + ",'" + db::SqlText(SessionContext.name) + "','" +
        db::SqlText(entry.name) + "','" + db::SqlText(text) + "',getdate(),'" +
        db::SqlText(SessionContext.localIp) + "','" + db::SqlText(ContactTable.LastIp(index)) +
        "',0)");
    CentralDb.Close();
    return stored;
}

}  // namespace

Delivery DeliverText(int index, const std::string& text) {
    if (!Contacts::ValidIndex(index)) {
        return Delivery::None;
    }
    const LinkFields link = ContactTable.Link(index);
    const auto address = ParseAddress(link.lastip, link.lastport);
    if (ContactTable.Entry(index).online != session::kLoggedOut && address) {
        const std::string payload = "0" + PadRight(SessionContext.qq, 9) + text;
        if (link.linked == "1") {
            SendDatagram(payload, *address);
            return Delivery::Direct;
        }
        if (const auto relay = RelayServer()) {
            SendDatagram("w" + PadRight(link.lastip, 15) + PadRight(link.lastport, 5) + "0^" +
                             payload.substr(1),
                         *relay);
            return Delivery::Relayed;
        }
        // Without a relay address the text would go nowhere: keep it as an offline message.
    }
    return StoreOffline(index, text) ? Delivery::Stored : Delivery::StoreFailed;
}

Delivery SendNotice(const std::string& text, const std::string& account) {
    const std::string notice = common::TrimRight(text);
    if (notice.empty() || account.empty()) {
        return Delivery::None;
    }
    const int index = ContactTable.FindContact(account);
    if (index < 0) {
        return Delivery::None;
    }
    return DeliverText(index, notice);
}

}  // namespace net
