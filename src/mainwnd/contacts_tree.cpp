#include "mainwnd/contacts_tree.h"

#include <algorithm>

#include "common/text.h"
#include "db/cadoex.h"
#include "net/dispatcher.h"
#include "net/servers.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace mainwnd {

namespace {

using db::RowField;

void TrimEntry(net::ContactEntry& entry) {
    for (std::string* field : {&entry.slot, &entry.caption, &entry.comment, &entry.pic, &entry.name,
                               &entry.sex, &entry.department, &entry.telephone, &entry.online}) {
        *field = common::TrimRight(*field);
    }
}

}  // namespace

RolePlace PlaceOfRole(const std::string& u_kind) {
    if (u_kind == session::kRoleManager) {
        return {"经理 ", 0};
    }
    if (u_kind == session::kRoleService) {
        return {"客服 ", 0};
    }
    if (u_kind == session::kRoleStorekeeper) {
        return {"保管员 ", 0};
    }
    if (u_kind == session::kRoleTechnician) {
        return {"", 1};
    }
    return {"", -1};
}

std::string RemarkLine(const net::ContactEntry& entry) {
    return entry.comment.empty() ? entry.department : entry.department + "_" + entry.comment;
}

ContactsTree::ContactsTree(ui::Form& form, ContactsTreeHost& host, int tree_id)
    : form_(form), host_(host), id_(tree_id) {
    form_.On(id_, ui::Event::Clicked, [this] { OnClick(); });
    form_.On(id_, ui::Event::DoubleClicked, [this] { OnDoubleClick(); });
}

void ContactsTree::Load() {
    form_.SetImageList(id_, kImageBitmap, kImageCell, kImageCell);
    form_.ClearItems(id_);
    host_.Redraw();

    net::SendServerGreetings();
    FillTable();

    AddGroups();
    for (int index = 0; index < net::kContactCount && !ContactTable.Qq(index).empty(); ++index) {
        AddEntryItem(index);
    }
    for (int group = 0; group < 2; ++group) {
        form_.Expand(id_, Group(group), true);
    }
}

void ContactsTree::FillTable() {
    const std::string& own = SessionContext.qq;
    // The own account goes bare into the statements: anything but digits gets no contacts.
    if (!common::IsDigits(own) || own.size() > 18) {
        return;
    }
    if (!CentralDb.IsOpen()) {
        CentralDb.ConnectCentral();
    }

    std::vector<std::string> friends;
    CentralDb.QueryRows(
        "select  zsv_friend.friendqq,zsv_friend.comment, zsv_quser.name from zsv_friend  INNER "
        "JOIN zsv_quser ON zsv_friend.friendqq = zsv_quser.qq WHERE ( zsv_friend.qq = " +
            own +
            " ) and ( zsv_friend.black = 0 or zsv_friend.black = 9 ) order by zsv_quser.u_kind "
            "asc, zsv_quser.lasttime desc, zsv_friend.comment desc ",
        {"friendqq", "comment"}, friends, db::kSeparator);
    const int filled = static_cast<int>(std::min<std::size_t>(friends.size(), net::kContactCount));
    for (int k = 0; k < filled; ++k) {
        ContactTable.SetQq(k, RowField(friends[k], 1));
        net::ContactEntry& entry = ContactTable.Entry(k);
        entry.slot = std::to_string(k);
        entry.caption = RowField(friends[k], 2);
        entry.comment = entry.caption;
    }

    std::vector<std::string> people;
    CentralDb.QueryRows(
        "select qq,name,sex,pic,department,telephone,online,lastip,lastport,u_kind,Port_3389,"
        "Port_radmin from zsv_quser where qq in (select friendqq from zsv_friend where qq = " +
            own + " and ( black = 0 or black =9 )) order by online asc",
        {"qq", "name", "sex", "pic", "department", "telephone", "online", "lastip", "lastport",
         "u_kind", "Port_3389", "Port_radmin"},
        people, db::kSeparator);
    for (int k = 0; k < filled; ++k) {
        const std::string qq = ContactTable.Qq(k);
        for (const std::string& row : people) {
            if (RowField(row, 1) != qq) {
                continue;
            }
            net::ContactEntry& entry = ContactTable.Entry(k);
            ContactTable.SetLastIp(k, RowField(row, 8));
            entry.caption = RowField(row, 2) + "_" + qq;
            entry.pic = RowField(row, 4);
            entry.name = RowField(row, 2);
            entry.sex = RowField(row, 3);
            entry.department = RowField(row, 5);
            entry.telephone = RowField(row, 6);
            entry.online = RowField(row, 7);
            TrimEntry(entry);
            entry.conversation.clear();
            ContactTable.SetLinked(k, "0");
            ContactTable.SetLastPort(k, RowField(row, 9));
            entry.Port_3389 = RowField(row, 11);
            entry.Port_radmin = RowField(row, 12);
            entry.u_kind = RowField(row, 10);
            if (entry.online != session::kLoggedOut) {
                net::AskRelayToConnect(qq);
            }
        }
    }
    CentralDb.Close();
}

void ContactsTree::AddGroups() {
    for (const char* name : kGroupNames) {
        form_.AddTreeItem(id_, ui::kNoItem, name);
    }
}

void ContactsTree::AddEntryItem(int index) {
    const net::ContactEntry& entry = ContactTable.Entry(index);
    const RolePlace place = PlaceOfRole(entry.u_kind);
    if (place.group < 0) {
        return;
    }
    AddContactItem(place.group, place.prefix + entry.caption,
                   net::PresenceImage(entry.pic, entry.online), RemarkLine(entry),
                   common::ToInt(ContactTable.Qq(index)));
}

ui::TreeItem ContactsTree::Group(int group) const {
    const std::vector<ui::TreeItem> groups = form_.TreeChildren(id_, ui::kNoItem);
    return group >= 0 && group < static_cast<int>(groups.size()) ? groups[group] : ui::kNoItem;
}

void ContactsTree::AddContactItem(int group, const std::string& text, int image,
                                  const std::string& remark, long long account) {
    const ui::TreeItem parent = Group(group);
    if (parent == ui::kNoItem) {
        return;
    }
    const ui::TreeItem item = form_.AddTreeItem(id_, parent, text, image, account);
    form_.SetTreeRemark(id_, item, remark);
}

ui::TreeItem ContactsTree::FindContactItem(long long account) const {
    for (const ui::TreeItem group : form_.TreeChildren(id_, ui::kNoItem)) {
        for (const ui::TreeItem item : form_.TreeChildren(id_, group)) {
            if (form_.TreeData(id_, item) == account) {
                return item;
            }
        }
    }
    return ui::kNoItem;
}

void ContactsTree::SetContactIcon(long long account, int image) {
    const ui::TreeItem item = FindContactItem(account);
    if (item != ui::kNoItem) {
        form_.SetTreeImage(id_, item, image);
    }
    host_.Redraw();
}

std::vector<long long> ContactsTree::ContactItemAccounts() const {
    std::vector<long long> accounts;
    for (const ui::TreeItem group : form_.TreeChildren(id_, ui::kNoItem)) {
        for (const ui::TreeItem item : form_.TreeChildren(id_, group)) {
            accounts.push_back(form_.TreeData(id_, item));
        }
    }
    return accounts;
}

void ContactsTree::OnClick() {
    const ui::TreeItem item = form_.CurrentTreeItem(id_);
    if (item != ui::kNoItem && form_.TreeParent(id_, item) == ui::kNoItem) {
        form_.Expand(id_, item, !form_.IsExpanded(id_, item));
    }
}

void ContactsTree::OnDoubleClick() {
    if (host_.OfflineMessagesWaiting()) {
        ui::CurrentShell().MessageBox("提示: 首先显示离线消息。", "提示", ui::Buttons::Ok);
        host_.TakeOfflineMessages();
        return;
    }
    const ui::TreeItem item = form_.CurrentTreeItem(id_);
    if (item == ui::kNoItem || form_.TreeParent(id_, item) == ui::kNoItem) {
        return;
    }
    const int index = ContactTable.FindContactByNumber(form_.TreeData(id_, item));
    if (index < 0 || ContactTable.Qq(index).empty()) {
        return;
    }
    const net::ContactEntry& entry = ContactTable.Entry(index);
    form_.SetTreeImage(id_, item, net::PresenceImage(entry.pic, entry.online));
    host_.Redraw();

    host_.OpenChatWindow(index);

    // Only a contact with both an address and a port can be greeted.
    if (const auto address = ContactTable.AddressOf(index)) {
        const char* code = SessionContext.online == session::kOnline ? "961" : "962";
        net::SendDatagram(
            code + net::PadRight(SessionContext.qq, 9) + net::PadRight(SessionContext.localIp, 15),
            *address);
    }
}

}  // namespace mainwnd
