#include "mainwnd/held_chats.h"

#include "net/contact_table.h"

namespace mainwnd {

bool HeldChats::AppendIncoming(const std::string& account, int index, const std::string& line) {
    if (net::Contacts::ValidIndex(index) && ContactTable.Qq(index) == account) {
        ContactTable.Entry(index).conversation += line;
    }
    return false;
}

}  // namespace mainwnd
