// The contacts tree of the main window (tree control 3029): the user's contacts in two fixed
// groups, "综合业务_即时通讯" (managers, customer service, storekeepers) and "工程技术_即时通讯"
// (technicians). Each contact item shows its role prefix and caption, a grey second line with
// the department (and the user's remark), the presence picture (`pic` online, `pic` + 2
// otherwise, 6 while its chat window holds unread text), and carries the account as item data.
//
// The tree is drawn from ContactTable, which Load fills from the central database. A single
// click on a group opens or closes it; a double click on a contact opens its chat and greets the
// contact with the own presence. The dispatcher reaches the tree through net::ContactsTree.
//
// Use: the main window constructs one ContactsTree with its form, a host and the control id, and
// calls Load() during its deferred set-up (after the UDP endpoint is open) and after the
// first-login staff set-up.
#pragma once

#include <string>
#include <vector>

#include "net/contact_table.h"
#include "net/dispatch_targets.h"
#include "ui/form.h"

namespace mainwnd {

// What the tree asks of the main window.
class ContactsTreeHost {
  public:
    virtual ~ContactsTreeHost() = default;
    // Whether offline messages wait (the mark set at start-up when there were some).
    virtual bool OfflineMessagesWaiting() const = 0;
    // Clears that mark, stops its blinking and gives the message button its resting image,
    // then shows the offline messages.
    virtual void TakeOfflineMessages() = 0;
    // Opens the chat window of contact entry `index` and shows it; an existing window for the
    // same account is shown instead of a new one.
    virtual void OpenChatWindow(int index) = 0;
    virtual void Redraw() = 0;
};

class ContactsTree final : public net::ContactsTree {
  public:
    static constexpr int kTreeId = 3029;
    // Cells of bitmap 3280 for the contact pictures.
    static constexpr const char* kImageBitmap = "3280";
    static constexpr int kImageCell = 23;
    static constexpr const char* kGroupNames[2] = {"综合业务_即时通讯", "工程技术_即时通讯"};

    // Binds the tree's click and double click on `form`; both must outlive this object.
    ContactsTree(ui::Form& form, ContactsTreeHost& host, int tree_id = kTreeId);
    ContactsTree(const ContactsTree&) = delete;
    ContactsTree& operator=(const ContactsTree&) = delete;

    // Empties the tree, sends the start-up texts to the servers, fills ContactTable from the
    // central database (at most 99 contacts, asking the relay to connect each one not logged
    // out), and rebuilds the two groups from the table, expanded.
    void Load();

    // A single click: a group item opens or closes.
    void OnClick();
    // A double click: offline messages first when they wait; otherwise the chat of the
    // contact under the cursor, with the "961"/"962" greeting to a reachable contact.
    void OnDoubleClick();

    // net::ContactsTree
    void AddContactItem(int group, const std::string& text, int image, const std::string& remark,
                        long long account) override;
    void SetContactIcon(long long account, int image) override;
    std::vector<long long> ContactItemAccounts() const override;

    // The group item (0 or 1), kNoItem before the first load.
    ui::TreeItem Group(int group) const;

  private:
    void FillTable();
    void AddGroups();
    void AddEntryItem(int index);
    ui::TreeItem FindContactItem(long long account) const;

    ui::Form& form_;
    ContactsTreeHost& host_;
    int id_;
};

// The tree text's role prefix and group of a role code: "1" "经理 ", "2" "客服 ", "5" "保管员 "
// in group 0, "4" without prefix in group 1; any other role has no group (-1).
struct RolePlace {
    const char* prefix;
    int group;
};
RolePlace PlaceOfRole(const std::string& u_kind);

// The grey second line of a contact: its department, followed by "_" + remark when the user
// gave one.
std::string RemarkLine(const net::ContactEntry& entry);

}  // namespace mainwnd
