#include "session/logout.h"

#include <vector>

#include "common/gbk.h"
#include "common/text.h"
#include "db/cadoex.h"
#include "db/sql_text.h"
#include "net/contact_table.h"
#include "session/session_context.h"

namespace session {

namespace {

// The length in bytes of the UTF-8 character that ends at `end` (exclusive).
std::size_t LastCharacterLength(std::string_view text, std::size_t end) {
    std::size_t begin = end - 1;
    while (begin > 0 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80 &&
           end - begin < 4) {
        --begin;
    }
    return end - begin;
}

}  // namespace

void RecordLogout() {
    const std::string& qq = SessionContext.qq;
    if (qq.empty()) {
        return;
    }
    if (!CentralDb.IsOpen()) {
        CentralDb.ConnectCentral();
    }
    CentralDb.Execute(
        "update zsv_quser set online=3, lastip='', lastport='', Port_control=0, Port_audio=0, "
        "Port_video=0, Port_text=0, Port_transfer=0, Port_transfer2=0, Port_3389=0, "
        "Port_radmin=0 where qq=" +
        qq);
    CentralDb.Execute("update zsv_login set endtime = getdate() where qq = " + qq +
                      " and endtime is null");
    CentralDb.Execute("update zsv_login set onlinetime = endtime-begintime where qq = " + qq +
                      " and onlinetime is null");
    CentralDb.Close();
}

std::string NewestText(std::string_view text, std::size_t limit) {
    std::size_t begin = text.size();
    std::size_t used = 0;
    while (begin > 0) {
        const std::size_t length = LastCharacterLength(text, begin);
        const std::string_view character = text.substr(begin - length, length);
        const std::size_t cost =
            static_cast<unsigned char>(character[0]) < 0x80 ? 1 : common::GbkLength(character);
        if (used + cost > limit) {
            break;
        }
        used += cost;
        begin -= length;
    }
    if (begin == 0) {
        return std::string(text);
    }
    std::string_view kept = text.substr(begin);
    // Start at a line of its own when a whole line fits; a cut line's tail is dropped.
    if (text[begin - 1] != '\n') {
        const std::size_t line_end = kept.find('\n');
        if (line_end != std::string_view::npos && line_end + 1 < kept.size()) {
            kept.remove_prefix(line_end + 1);
        }
    }
    return std::string(kept);
}

void SaveConversationHistory() {
    const std::string& own = SessionContext.qq;
    if (own.empty()) {
        return;
    }
    if (!LocalDb.ConnectLocal()) {
        return;
    }
    for (int index = 0; index < net::kContactCount; ++index) {
        const std::string& conversation = ContactTable.Entry(index).conversation;
        const std::string target = ContactTable.Qq(index);
        // Only an account of digits goes into the statement; an entry without one has no row.
        if (conversation.empty() || !common::IsDigits(target)) {
            continue;
        }
        const std::string where = " where source = " + own + " and target= " + target;
        std::vector<std::string> stored;
        LocalDb.QueryColumn("select content from diaRecord" + where, "content", stored);
        if (!stored.empty()) {
            const std::string content = NewestText(
                common::TrimRight(stored.front()) + "\r\n" + conversation, kHistoryLimit);
            LocalDb.Execute("update diaRecord set content = '" + db::SqlText(content) + "'" +
                            where);
        } else {
            LocalDb.Execute("insert into diaRecord (source, target, times, content) values ( " +
                            own + ", " + target + ",0, '" +
                            db::SqlText(NewestText(conversation, kHistoryLimit)) + "')");
        }
    }
    LocalDb.Close();
}

}  // namespace session
