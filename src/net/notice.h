// Delivery of a text to one contact, shared by system notices and the chat window: straight to
// the contact when it is linked, through the relay service when it has an address but no direct
// link, and otherwise (logged out, or no usable address) as an offline message in the central
// table zsv_dialog, shown at the contact's next start.
#pragma once

#include <string>

namespace net {

enum class Delivery {
    None,         // nothing sent or stored
    Direct,       // "0" + own account + text to the contact
    Relayed,      // "w" + contact address + "0^" + own account + text to the relay
    Stored,       // one zsv_dialog row with affirm 0
    StoreFailed,  // the row was due but the central database did not take it
};

// Delivers `text` (already trimmed by the caller) to the contact of entry `index`. The text
// goes into a datagram or the row as it is; the row's texts are quoted safely.
Delivery DeliverText(int index, const std::string& text);

// A system notice for one account: trailing blanks removed; an empty text, an empty account or
// an account outside the contact table gets nothing.
Delivery SendNotice(const std::string& text, const std::string& account);

}  // namespace net
