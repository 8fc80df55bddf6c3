// What the client writes when the main window goes away after a login: the account's presence
// and ports cleared and its zsv_login row completed in the central database, and this run's
// conversations added to the history the local store keeps per contact (diaRecord). The "92"
// texts to the contacts go out before, from the main window, which owns the paced sends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace session {

// The most history the local store keeps per contact, in GBK bytes.
inline constexpr std::size_t kHistoryLimit = 65000;

// The central database's part of the logout; nothing when nobody is logged in.
void RecordLogout();

// Adds the conversation of every contact entry with one to its diaRecord row. A history that
// would grow beyond kHistoryLimit keeps its newest text (NewestText), so the oldest lines give
// way instead of the whole history being lost. Nothing when nobody is logged in.
void SaveConversationHistory();

// The end of `text` that fits in `limit` GBK bytes: whole lines when the newest lines fit,
// otherwise the newest whole characters. Never splits a character.
std::string NewestText(std::string_view text, std::size_t limit);

}  // namespace session
