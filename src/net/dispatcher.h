// The user-interface side of every received text. The receive thread hands each text over in
// arrival order; OnDatagram runs the tests below on it, in this order, several of them possibly
// on the same text:
//
//   "v"        the account logged in elsewhere: tell the person, close the main window
//   "."        nothing
//   ",1"       the parts windows (the draw list first for a technician)
//   "1" "2" "3" "6" "7" "8"   queued for the message button, which starts blinking
//   "2"        this user's contact request was accepted: take note in zsv_friend, add the
//              contact to the table and the tree
//   "0" "0^"   a chat text (through the relay for "0^", which also refreshes the address)
//   "90" "91" "92"   a contact's presence: online, invisible, logged out
//   "961" "962"      a contact opened a chat window: its presence, answered with ours
//
// Fixed-width fields are cut by GBK byte positions (WireText). Account numbers that come from a
// datagram reach SQL text only when they are all digits.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/dispatch_targets.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"

namespace net {

class Dispatcher {
  public:
    // Shell timer of the message button's blinking while notices wait.
    static constexpr int kNoticeTimerId = 999;
    static constexpr int kNoticeBlinkMs = 300;

    Dispatcher(MainFrame& frame, ContactsTree& tree, ChatWindows& chats);
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    void OnDatagram(const WireText& text);
    // The hand-off for the receive thread: calls OnDatagram while this dispatcher exists and
    // does nothing for texts still queued when it is gone.
    DatagramHandler Handoff();

    // The texts waiting for the message button, in arrival order.
    const std::vector<WireText>& NoticeQueue() const { return notices_; }
    bool NoticeBlinking() const { return blinking_; }
    // The message button's turn for queued notices. When the notice blinking is on: stops it,
    // then for each queued text in order runs the answer dialogue ("1") or shows the notice
    // ("2", "3"; "6", "7", "8" are dropped unseen), and empties the queue. Texts that arrive
    // while those windows are open stay queued, blinking, for the next press. Returns whether
    // the blinking was on.
    bool ConsumeNoticeQueue();

  private:
    void LoggedInElsewhere();
    void OpenPartsWindows();
    void QueueNotice(const WireText& text);
    void TakeNoteOfAcceptance(const WireText& text);
    void ChatText(const WireText& text);
    void RefreshRelayedSender(const std::string& sender);
    bool Presence(const WireText& text);
    void ChatOpened(const WireText& text);

    MainFrame& frame_;
    ContactsTree& tree_;
    ChatWindows& chats_;
    std::vector<WireText> notices_;
    bool blinking_ = false;
    std::shared_ptr<Dispatcher*> self_;
};

// The tree image of a contact entry: its picture when online, picture + 2 otherwise.
int PresenceImage(const std::string& pic, const std::string& online);

}  // namespace net
