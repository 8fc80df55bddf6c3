// The chat texts of the run while the client has no chat windows: each received line is added
// to its contact entry's conversation, so that it reaches the contact's stored history at the
// logout, and is reported as unseen, so that the contact's tree item shows the unread mark.
#pragma once

#include <string>

#include "net/dispatch_targets.h"

namespace mainwnd {

class HeldChats final : public net::ChatWindows {
  public:
    // Never visible: there is no window to show the line in.
    bool AppendIncoming(const std::string& account, int index, const std::string& line) override;
};

}  // namespace mainwnd
