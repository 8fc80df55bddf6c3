#include "net/dispatcher.h"

#include "common/text.h"
#include "db/cadoex.h"
#include "net/chat_line.h"
#include "net/contact_table.h"
#include "net/presence.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace net {

namespace {

// An account number from a datagram or a row, fit to be written bare into SQL text.
bool IsAccount(const std::string& text) {
    return common::IsDigits(text) && text.size() <= 18;
}

using db::RowField;

void EnsureCentral() {
    if (!CentralDb.IsOpen()) {
        CentralDb.ConnectCentral();
    }
}

}  // namespace

int PresenceImage(const std::string& pic, const std::string& online) {
    const int picture = static_cast<int>(common::ToInt(pic));
    return online == session::kOnline ? picture : picture + 2;
}

Dispatcher::Dispatcher(MainFrame& frame, ContactsTree& tree, ChatWindows& chats)
    : frame_(frame), tree_(tree), chats_(chats), self_(std::make_shared<Dispatcher*>(this)) {}

Dispatcher::~Dispatcher() {
    if (blinking_) {
        ui::CurrentShell().KillTimer(kNoticeTimerId);
    }
}

DatagramHandler Dispatcher::Handoff() {
    std::weak_ptr<Dispatcher*> weak = self_;
    return [weak](const WireText& text) {
        if (const auto self = weak.lock()) {
            (*self)->OnDatagram(text);
        }
    };
}

void Dispatcher::OnDatagram(const WireText& text) {
    if (text.StartsWith("v")) {
        LoggedInElsewhere();
    }
    // "." texts are recognised and left alone: no test below matches them.
    if (text.StartsWith(",1")) {
        OpenPartsWindows();
    }
    if (!text.bytes().empty() &&
        std::string_view("123678").find(text.bytes()[0]) != std::string_view::npos) {
        QueueNotice(text);
    }
    if (text.StartsWith("2")) {
        TakeNoteOfAcceptance(text);
    }
    if (text.StartsWith("0")) {
        ChatText(text);
    }
    if (text.StartsWith("90") || text.StartsWith("91") || text.StartsWith("92")) {
        if (!Presence(text)) {
            return;  // not a contact: the text ends here
        }
    }
    if (text.StartsWith("961") || text.StartsWith("962")) {
        ChatOpened(text);
    }
}

void Dispatcher::LoggedInElsewhere() {
    ui::CurrentShell().MessageBox("提示：此号码从别处登录, 您将退出维修管理软件。", "提示",
                                  ui::Buttons::Ok);
    frame_.CloseForOtherLogin();
}

void Dispatcher::OpenPartsWindows() {
    if (SessionContext.u_kind == session::kRoleTechnician) {
        frame_.ShowDrawList();
    }
    frame_.ShowWorkOrderParts();
}

void Dispatcher::QueueNotice(const WireText& text) {
    notices_.push_back(text);
    blinking_ = true;
    ui::CurrentShell().SetTimer(kNoticeTimerId, kNoticeBlinkMs,
                                [this] { frame_.FlipMessageButton(); });
}

bool Dispatcher::ConsumeNoticeQueue() {
    if (!blinking_) {
        return false;
    }
    ui::CurrentShell().KillTimer(kNoticeTimerId);
    blinking_ = false;
    // The dialogues below are modal: texts that arrive meanwhile are queued anew and kept.
    const std::vector<WireText> queued = std::move(notices_);
    notices_.clear();
    for (const WireText& notice : queued) {
        switch (notice.At(0)) {
            case '1':
                frame_.AnswerContactRequest(notice);
                break;
            case '2':
                ui::CurrentShell().MessageBox(notice.Tail(25), "提示", ui::Buttons::Ok);
                break;
            case '3':
                ui::CurrentShell().MessageBox(notice.Tail(1), "提示", ui::Buttons::Ok);
                break;
            default:
                break;
        }
    }
    return true;
}

void Dispatcher::TakeNoteOfAcceptance(const WireText& text) {
    EnsureCentral();
    const std::string& own = SessionContext.qq;
    if (IsAccount(own)) {
        std::vector<std::string> links;
        CentralDb.QueryRows(
            "select id,qq,friendqq from zsv_friend where friendqq = " + own + " and black = 9",
            {"id", "qq", "friendqq"}, links, db::kSeparator);
        for (const auto& row : links) {
            const std::string id = RowField(row, 1);
            if (IsAccount(id)) {
                CentralDb.Execute("update zsv_friend set black = 0 where id = " + id);
            }
        }
    }

    const std::string account = text.Field(1, 9);
    std::vector<std::string> rows;
    if (IsAccount(account)) {
        CentralDb.QueryRows(
            "select name,online,pic,department,lastip,lastport from zsv_quser where qq = " +
                account,
            {"name", "online", "pic", "department", "lastip", "lastport"}, rows, db::kSeparator);
    }
    for (const auto& row : rows) {
        const int slot = ContactTable.FreeSlot();
        if (slot < 0) {
            break;
        }
        ContactEntry& entry = ContactTable.Entry(slot);
        ContactTable.SetQq(slot, account);
        entry.slot = std::to_string(slot);
        entry.name = RowField(row, 1);
        entry.online = RowField(row, 2);
        entry.pic = RowField(row, 3);
        entry.department = RowField(row, 4);
        ContactTable.SetLastIp(slot, RowField(row, 5));
        ContactTable.SetLastPort(slot, RowField(row, 6));
        tree_.AddContactItem(0, entry.name, PresenceImage(entry.pic, entry.online),
                             entry.department, common::ToInt(account));
        frame_.Redraw();
    }
    CentralDb.Close();
}

void Dispatcher::RefreshRelayedSender(const std::string& sender) {
    if (!IsAccount(sender)) {
        return;
    }
    EnsureCentral();
    std::vector<std::string> rows;
    CentralDb.QueryRows("select lastip,lastport from zsv_quser where qq = " + sender,
                        {"lastip", "lastport"}, rows, db::kSeparator);
    for (const auto& row : rows) {
        const int index = ContactTable.FindContact(sender);
        if (index < 0) {
            continue;
        }
        ContactTable.SetLastIp(index, RowField(row, 1));
        ContactTable.SetLastPort(index, RowField(row, 2));
        ContactEntry& entry = ContactTable.Entry(index);
        entry.online = session::kOnline;
        tree_.SetContactIcon(common::ToInt(sender), PresenceImage(entry.pic, entry.online));
    }
}

void Dispatcher::ChatText(const WireText& text) {
    const bool relayed = text.At(1) == '^';
    const std::string sender = relayed ? text.Field(2, 9) : text.Field(1, 9);
    const std::string chat = (relayed ? text.Tail(11) : text.Tail(10)) + "\r\n";
    if (sender.empty()) {
        return;  // a chat text must name its sender: there is no window to put it in
    }
    if (relayed) {
        RefreshRelayedSender(sender);
    }
    const int index = ContactTable.FindLastContact(sender);
    const std::string name = index >= 0 ? ContactTable.Entry(index).name : std::string();
    const std::string line = ChatLineHeader(name, sender) + chat;
    if (!chats_.AppendIncoming(sender, index, line)) {
        frame_.Redraw();
        tree_.SetContactIcon(common::ToInt(sender), kUnreadImage);
        const std::string mark = "*" + sender + ".";
        if (SessionContext.pendingChats.find(mark) == std::string::npos) {
            SessionContext.pendingChats += mark;
        }
    }
    if (SessionContext.soundOn == 1) {
        ui::CurrentShell().PlaySound("IDR_MSG");
    }
}

bool Dispatcher::Presence(const WireText& text) {
    const std::string account = text.Field(2, 9);
    const int index = account.empty() ? -1 : ContactTable.FindContact(account);
    if (index < 0) {
        return false;
    }
    ContactEntry& entry = ContactTable.Entry(index);
    const long long number = common::ToInt(account);
    const int picture = static_cast<int>(common::ToInt(entry.pic));
    switch (text.At(1)) {
        case '0':
            tree_.SetContactIcon(number, picture);
            entry.online = session::kOnline;
            break;
        case '1':
            tree_.SetContactIcon(number, picture + 2);
            entry.online = session::kInvisible;
            break;
        default:
            tree_.SetContactIcon(number, picture + 2);
            entry.online = session::kLoggedOut;
            ContactTable.SetLinked(index, "0");
            return true;
    }
    if (text.size() > 11) {
        ContactTable.SetLastIp(index, text.Field(11, 15));
    }
    return true;
}

void Dispatcher::ChatOpened(const WireText& text) {
    const std::string account = text.Field(3, 9);
    const std::string ip = text.Field(12, 15);
    const int index = account.empty() ? -1 : ContactTable.FindContact(account);
    if (index < 0) {
        return;
    }
    ContactEntry& entry = ContactTable.Entry(index);
    const int picture = static_cast<int>(common::ToInt(entry.pic));
    const bool online = text.At(2) == '1';
    tree_.SetContactIcon(common::ToInt(account), online ? picture : picture + 2);
    entry.online = online ? session::kOnline : session::kInvisible;
    ContactTable.SetLastIp(index, ip);
    if (const auto address = ContactTable.AddressOf(index)) {
        SendDatagram(OwnPresenceText(), *address);
    }
}

}  // namespace net
