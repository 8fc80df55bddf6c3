// The presence and link texts that go to every contact: the broadcast over the contacts tree,
// the periodic link probe, and the logout notice at the end of the run. Rounds of sends are
// paced by a SendPacer, so the pauses between them never freeze the window.
#pragma once

#include <string>

#include "net/dispatch_targets.h"
#include "net/send_pacer.h"

namespace net {

inline constexpr int kBroadcastPauseMs = 50;
inline constexpr int kProbePauseMs = 100;

class PresenceSender {
  public:
    explicit PresenceSender(const ContactsTree& tree) : tree_(tree) {}

    // Sends the text to the contact of every tree item, in tree order, that has an address,
    // 50 ms apart.
    void Broadcast(const std::string& text);
    // The work of timer 1002 (and of the end of the set-up): first "d" + own account to every
    // entry that has an address and is not linked, 100 ms apart unless the entry became
    // linked meanwhile; then the broadcast of "90" (own presence online) or "91" + own account.
    void ProbeAndAnnounce();
    // The end of the run: sends what is still queued at once, then "92" + own account padded
    // to 19 to every entry with an address, without pauses.
    void SendLogoutNotices();

    SendPacer& pacer() { return pacer_; }

  private:
    const ContactsTree& tree_;
    SendPacer pacer_;
};

// "90" + own account padded to 9 while the own presence is online, else "91" + it.
std::string OwnPresenceText();

}  // namespace net
