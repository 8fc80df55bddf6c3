#include "net/link_probe.h"

#include "common/gbk.h"
#include "common/text.h"

namespace net {

namespace {

std::string OwnTail(const std::string& own_account) {
    return common::Utf8ToGbk(PadRight(own_account, 9));
}

}  // namespace

void HandleLinkCode(const WireText& text, const Address& source, const std::string& own_account,
                    Contacts& table, const WireSend& send) {
    if (text.StartsWith("90") || text.StartsWith("91")) {
        table.LearnPort(text.Field(2, 9), source.PortText());
    }
    if (text.StartsWith("bC")) {
        table.LearnAddress(common::ToInt(text.Field(7, 9)), source);
        send("d" + OwnTail(own_account), source);
    }
    if (text.StartsWith("c") && text.size() > 22) {
        if (const auto to = ParseAddress(text.Field(1, 15), text.Field(16, 5))) {
            send("bClient" + OwnTail(own_account), *to);
        }
    }
    if (text.StartsWith("d") || text.StartsWith("e")) {
        table.LearnAddress(common::ToInt(text.Field(1, 9)), source);
        if (text.StartsWith("d")) {
            send("e" + OwnTail(own_account), source);
        }
    }
    // "bS" texts are recognised and ignored: none of the tests above matches them.
}

}  // namespace net
