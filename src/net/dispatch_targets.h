// What the messaging layer needs from the windows it feeds. The main window, its contacts tree
// and the chat windows implement these; the messaging code never sees a window itself.
#pragma once

#include <string>
#include <vector>

#include "net/wire_text.h"

namespace net {

// Tree images of a contact: its picture number when online, picture + 2 otherwise, and the
// unread-chat picture.
inline constexpr int kUnreadImage = 6;

// The main window's part.
class MainFrame {
  public:
    virtual ~MainFrame() = default;
    // The account logged in elsewhere: mark the window as closing and close it. The close
    // handling (the "91" broadcast, the tray icon) has run when this returns.
    virtual void CloseForOtherLogin() = 0;
    // The technician's draw list window, modal.
    virtual void ShowDrawList() = 0;
    // The work order parts window, modal.
    virtual void ShowWorkOrderParts() = 0;
    // The answer dialogue for a contact request that waited in the notice queue (a text
    // beginning "1": requester = Field(1, 9), note = Tail(25)).
    virtual void AnswerContactRequest(const WireText& request) = 0;
    // One step of the message button's blinking (timer 999): flip the blink flag and the skin.
    virtual void FlipMessageButton() = 0;
    virtual void Redraw() = 0;
};

// The contacts tree: two groups, contact items carrying the account number as item data.
class ContactsTree {
  public:
    virtual ~ContactsTree() = default;
    // Appends a contact item under a group (0 = the first) with its text, image, grey second
    // line and item data.
    virtual void AddContactItem(int group, const std::string& text, int image,
                                const std::string& remark, long long account) = 0;
    // Gives the item whose data is `account` the image and redraws the main window.
    virtual void SetContactIcon(long long account, int image) = 0;
    // The item data of every contact item of every group, in tree order.
    virtual std::vector<long long> ContactItemAccounts() const = 0;
};

// The chat windows, one per account, found by the title "与 " + account + " 聊天中".
class ChatWindows {
  public:
    virtual ~ChatWindows() = default;
    // Appends a received line to the transcript of the account's window. When the account has
    // no window yet, one is made hidden for the contact entry `index` (-1 when the sender is
    // not in the contact table: the window then has no contact data). Returns whether the
    // window is visible.
    virtual bool AppendIncoming(const std::string& account, int index, const std::string& line) = 0;
};

}  // namespace net
