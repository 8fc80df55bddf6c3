#include "session/update_check.h"

#include <string>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/scramble.h"
#include "db/sql_text.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace session {

namespace {

// The first published file that has no matching row in qupdate; false when all are installed
// or nothing is published.
bool SomethingToInstall() {
    std::vector<std::string> published;
    CentralDb.QueryRows("select * from zsv_update",
                        {"FileId", "FileName", "FileVersion", "FileUrl", "FileDel"}, published,
                        db::kSeparator);
    for (const std::string& row : published) {
        const std::string name = db::RowField(row, 2);
        const std::string version = db::RowField(row, 3);
        // A NULL flag reads as one space: the updater records such a file with flag 0.
        const std::string deletion =
            db::SqlInteger(common::Trim(db::CADOEx::GetField(row, 5, db::kSeparator)));
        std::vector<std::string> installed;
        LocalDb.QueryColumn("select FileName from qupdate where FileName = '" + db::SqlText(name) +
                                "' and FileVersion = '" + db::SqlText(version) +
                                "' and FileDel = " + deletion,
                            "FileName", installed);
        if (installed.empty()) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::filesystem::path UpdaterPath(const std::filesystem::path& program_dir) {
    return (program_dir / "update").lexically_normal();
}

bool CheckForUpdate(const std::filesystem::path& program_dir) {
    const std::filesystem::path updater = UpdaterPath(program_dir);
    std::error_code error;
    if (!std::filesystem::is_regular_file(updater, error)) {
        return false;
    }
    // Without the local store neither the installed files nor the server address are known:
    // the login window reports the store and the check waits for the next start.
    if (!LocalDb.ConnectLocal()) {
        return false;
    }
    std::vector<std::string> servers;
    LocalDb.QueryColumn("select CurrentIp from about where id = 1", "CurrentIp", servers);
    if (!servers.empty()) {
        SessionContext.CurrentIp = db::UnscrambleAddress(common::TrimRight(servers.front()));
    }
    if (!CentralDb.IsOpen()) {
        CentralDb.ConnectCentral();
    }
    const bool needed = SomethingToInstall();
    LocalDb.Close();
    CentralDb.Close();
    if (!needed) {
        return false;
    }
    ui::Shell& shell = ui::CurrentShell();
    if (shell.MessageBox("提示: 检测到有文件需要更新, 现在更新吗?", "提示", ui::Buttons::YesNo) !=
        ui::Answer::Yes) {
        return false;
    }
    if (shell.StartProgram(updater.string(), {})) {
        return true;
    }
    shell.MessageBox("提示: 无法启动更新程序 " + updater.string() + " ，本次不更新。", "提示");
    return false;
}

}  // namespace session
