#include "session/login.h"

#include <ctime>
#include <string>
#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/scramble.h"
#include "db/sql_text.h"
#include "net/local_address.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace session {

namespace {

using db::RowField;

// The day of the month of the local date, as decimal text: the failure counter's day.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_mday);
}

void Tell(const std::string& text, const std::string& caption) {
    ui::CurrentShell().MessageBox(text, caption, ui::Buttons::Ok);
}

}  // namespace

int CLogin::DoModal() {
    form_ = ui::CurrentShell().CreateForm("login");
    form_->On(kAccount, ui::Event::SelectionChanged, [this] { AccountChosen(); });
    form_->On(kLogin, ui::Event::Clicked, [this] { Login(); });
    form_->On(kForget, ui::Event::Clicked, [this] { ForgetAccount(); });
    form_->On(kQuit, ui::Event::Clicked, [this] { Quit(); });
    form_->On(ui::kWindow, ui::Event::Close, [this] { OnClose(); });
    // The registration and recovery links open their windows once those exist.
    Init();
    const int result = ui::CurrentShell().RunModal(*form_);
    form_.reset();
    return result;
}

void CLogin::ReadTexts() {
    account_ = form_->Text(kAccount);
    password_ = form_->Text(kPassword);
}

void CLogin::ShowTexts() {
    form_->SetText(kAccount, account_);
    form_->SetText(kPassword, password_);
}

void CLogin::FillAccountList() {
    form_->ClearItems(kAccount);
    std::vector<std::string> accounts;
    LocalDb.QueryColumn("select qq from login", "qq", accounts);
    for (const auto& qq : accounts) {
        form_->AddItem(kAccount, common::TrimRight(qq));
    }
}

void CLogin::Init() {
    LocalDb.ConnectLocal();

    std::vector<std::string> last;
    LocalDb.QueryColumn("select lastqq from about", "lastqq", last);
    for (const auto& qq : last) {
        account_ = common::TrimRight(qq);
    }

    FillAccountList();
    bool last_in_list = false;
    for (int i = 0; i < form_->ItemCount(kAccount); ++i) {
        last_in_list = last_in_list || form_->ItemText(kAccount, i) == account_;
    }

    std::vector<std::string> servers;
    LocalDb.QueryColumn("select CurrentIp from about where id = 1", "CurrentIp", servers);
    for (const auto& scrambled : servers) {
        SessionContext.CurrentIp = db::UnscrambleAddress(common::TrimRight(scrambled));
    }

    ShowTexts();
    if (last_in_list) {
        // Showing the last account selected its entry in the list: fill in what the
        // computer remembers for it.
        const int selected = form_->Selection(kAccount);
        if (selected >= 0) {
            FillFromLocalRow(form_->ItemText(kAccount, selected));
            ShowTexts();
        }
    }

    LocalDb.Close();
    CentralDb.ConnectCentral();
}

void CLogin::FillFromLocalRow(const std::string& account) {
    // Entries of the list are account numbers; anything else matches no row.
    if (common::IsDigits(account)) {
        std::vector<std::string> rows;
        LocalDb.QueryRows("select qq,passwordd,remember,hide from login where qq = " + account,
                          {"qq", "passwordd", "remember", "hide"}, rows, db::kSeparator);
        for (const auto& row : rows) {
            if (RowField(row, 3) == "1") {
                // The stored password is used whole: blanks at its end belong to it.
                password_ = db::UnrotatePassword(db::CADOEx::GetField(row, 2, db::kSeparator));
                form_->SetChecked(kRememberBox, true);
            } else {
                password_.clear();
                form_->SetChecked(kRememberBox, false);
            }
            form_->SetChecked(kInvisibleBox, RowField(row, 4) == "1");
        }
    }
    account_ = account;
}

void CLogin::AccountChosen() {
    const int selected = form_->Selection(kAccount);
    const std::string account =
        common::Trim(selected >= 0 ? form_->ItemText(kAccount, selected) : std::string());
    LocalDb.ConnectLocal();
    FillFromLocalRow(account);
    ShowTexts();
}

void CLogin::CheckVersionAndServers() {
    std::vector<std::string> rows;
    CentralDb.QueryRows(
        "select ClientVersion,CenterIp1,CenterIp2,CurrentIp,GroupPort,Upgrade,SaveDialog,"
        "webside,Port_server,Port_3389,Port_radmin from zsv_about where id = 1",
        {"ClientVersion", "CenterIp1", "CenterIp2", "CurrentIp", "GroupPort", "Upgrade",
         "SaveDialog", "webside", "Port_server", "Port_3389", "Port_radmin"},
        rows, db::kSeparator);
    for (const auto& row : rows) {
        const std::string version = RowField(row, 1);
        const std::string center1 = RowField(row, 2);
        const std::string center2 = RowField(row, 3);
        const std::string current = RowField(row, 4);
        const std::string webside = RowField(row, 8);
        SessionContext.webside = webside;
        SessionContext.SaveDialog = RowField(row, 7);
        SessionContext.Port_server = static_cast<int>(common::ToInt(RowField(row, 9)));
        const long long forced = common::ToInt(RowField(row, 6));

        if (common::ToDouble(version) > kClientVersion) {
            if (forced == 1) {
                Tell("提示:程序有更新，请下载安装最新版本 V" + version + " ！\r\n     下载地址 " +
                         webside,
                     "启泰");
                ui::CurrentShell().OpenAddress(webside);
                ui::EndProcess(-1);
            }
            Tell(
                "提示:程序有更新，请下载安装新版本 V" + version + " ！\r\n     下载地址 " + webside,
                "启泰");
        }

        // The next start connects to the server the settings row names now.
        LocalDb.ConnectLocal();
        LocalDb.Execute("update about set CenterIp1='" + db::ScrambleAddress(center1) +
                        "',CenterIp2='" + db::ScrambleAddress(center2) + "',CurrentIp='" +
                        db::ScrambleAddress(current) + "'");
        LocalDb.Close();
    }
}

void CLogin::Login() {
    CheckVersionAndServers();

    ReadTexts();
    const std::string account = common::Trim(account_);
    if (account.empty()) {
        Tell("提示：请输入用户号码", "提示信息");
        return;
    }
    if (!common::IsDigits(account)) {
        Tell("提示：请输入正确号码", "提示信息");
        return;
    }

    // Failed-login lock: more than six failures counted on this day of the month.
    const std::string today = Today();
    LocalDb.ConnectLocal();
    std::vector<std::string> failures;
    LocalDb.QueryRows("select f_times,f_day from login where qq = " + account, {"f_times", "f_day"},
                      failures, db::kSeparator);
    for (const auto& row : failures) {
        if (RowField(row, 2) == today && common::ToInt(RowField(row, 1)) > 6) {
            Tell("提示：密码错误超过7次，请于24小时后再试。", "提示信息");
            return;
        }
    }

    std::vector<std::string> users;
    CentralDb.QueryRows(
        "select qq, qlock, u_kind, Manager_id, Manager, company_name,name  from zsv_quser where "
        "qq = " +
            account + " and passwordd = '" + db::SqlText(password_) + "'",
        {"qq", "qlock", "u_kind", "Manager_id", "Manager", "company_name", "name"}, users,
        db::kSeparator);
    if (users.empty()) {
        LocalDb.ConnectLocal();
        LocalDb.Execute("update login set f_times = f_times +1, f_day = " + today +
                        " where qq =" + account);
        LocalDb.Close();
        Tell("提示：用户号码或用户口令不正确", "提示信息");
        return;
    }
    const std::string& user = users.front();
    if (RowField(user, 2) == "1") {
        Tell("提示: 此用户号码已经锁定。", "提示");
        return;
    }

    SessionContext.Manager_id = RowField(user, 4);
    SessionContext.Manager = RowField(user, 5);
    SessionContext.company_name = RowField(user, 6);
    SessionContext.name = RowField(user, 7);
    SessionContext.qq = account;
    SessionContext.u_kind = RowField(user, 3);

    std::string remember = "0";
    std::string hide = "0";
    SessionContext.online = session::kOnline;
    if (form_->Checked(kRememberBox)) {
        remember = "1";
    }
    if (form_->Checked(kInvisibleBox)) {
        hide = "1";
        SessionContext.online = session::kInvisible;
    }

    SessionContext.localIp = net::LocalIpv4Address();

    if (CentralDb.IsOpen()) {
        CentralDb.Execute("update zsv_quser set logins = logins+1, lasttime=getdate(), online= " +
                          SessionContext.online + " where qq=" + account);
    }
    CentralDb.Execute("insert into zsv_login (qq,ip,begintime) values ( " + account + ",'" +
                      db::SqlText(SessionContext.localIp) + "', getdate() )");

    // The account, its rotated password and its choices stay on this computer.
    const std::string stored = db::SqlText(db::RotatePassword(password_));
    LocalDb.ConnectLocal();
    std::vector<std::string> known;
    LocalDb.QueryColumn("select qq from login where qq = " + account, "qq", known);
    if (!known.empty()) {
        LocalDb.Execute("update login set passwordd = '" + stored + "',remember = '" + remember +
                        "',hide = '" + hide + "' where qq = " + account);
    } else {
        LocalDb.Execute("insert into login ( qq,passwordd,remember,hide ) values ( " + account +
                        ", '" + stored + "', '" + remember + "', '" + hide + "' )");
    }
    LocalDb.Execute("update about set lastqq = '" + account + "'");
    LocalDb.Close();

    std::vector<std::string> wages;
    CentralDb.QueryRows(
        "select TiCheng_S,TiCheng_E,TiCheng_T,JiBen_S,JiBen_E,JiBen_T,TiCheng_M "
        "from zsv_quser where qq = " +
            account,
        {"TiCheng_S", "TiCheng_E", "TiCheng_T", "JiBen_S", "JiBen_E", "JiBen_t", "TiCheng_M"},
        wages, db::kSeparator);
    for (const auto& row : wages) {
        SessionContext.TiCheng_S = RowField(row, 1);
        SessionContext.TiCheng_E = RowField(row, 2);
        SessionContext.TiCheng_T = RowField(row, 3);
        SessionContext.JiBen_S = RowField(row, 4);
        SessionContext.JiBen_E = RowField(row, 5);
        SessionContext.JiBen_T = RowField(row, 6);
        SessionContext.TiCheng_M = RowField(row, 7);
    }

    LocalDb.ConnectLocal();
    LocalDb.Execute("update login set f_times = 0, f_day = 0 where qq =" + account);
    LocalDb.Close();

    form_->End(ui::kResultOk);
}

void CLogin::ForgetAccount() {
    ReadTexts();
    if (account_.empty()) {
        return;
    }
    if (ui::CurrentShell().MessageBox("提示：您确实要删除联系人号码 [" + account_ + "] 吗", "提示",
                                      ui::Buttons::YesNo) != ui::Answer::Yes) {
        return;
    }
    LocalDb.ConnectLocal();
    // The account box is typed text: only an account number goes into the statements, so that
    // nothing typed can widen them ("1 or 1=1" would empty the table).
    const std::string account = common::Trim(account_);
    if (common::IsDigits(account)) {
        LocalDb.Execute("delete from login where qq = " + account);
        LocalDb.Execute("delete from dialog where source = " + account);
    }
    account_.clear();
    password_.clear();
    FillAccountList();
    LocalDb.Execute("update about set lastqq = '' ");
    LocalDb.Close();
    ShowTexts();
}

void CLogin::Quit() {
    ui::EndProcess(-1);
}

void CLogin::OnClose() {
    CentralDb.Close();
    form_->End(ui::kResultCancel);
}

}  // namespace session
