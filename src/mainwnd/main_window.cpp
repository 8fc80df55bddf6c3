#include "mainwnd/main_window.h"

#include <utility>
#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "net/contact_table.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/login.h"
#include "session/logout.h"
#include "session/session_context.h"
#include "ui/shell.h"

namespace mainwnd {

namespace {

constexpr int kSetupMs = 100;
constexpr int kProbeMs = 60000;
constexpr int kChatBlinkMs = 500;
constexpr int kPopupMs = 60000;

constexpr int kRolePanels[] = {CVEXADlg::kManagerPanel, CVEXADlg::kServicePanel,
                               CVEXADlg::kTechnicianPanel, CVEXADlg::kStorekeeperPanel};
// The panes and labels that appear when the set-up ends.
constexpr int kPanes[] = {CVEXADlg::kContacts,
                          CVEXADlg::kOrders,
                          CVEXADlg::kManagerPanel,
                          CVEXADlg::kServicePanel,
                          CVEXADlg::kTechnicianPanel,
                          CVEXADlg::kStorekeeperPanel,
                          CVEXADlg::kContactsLabel,
                          CVEXADlg::kOrdersLabel,
                          3175,
                          3176,
                          3177,
                          3178};
// Tool buttons whose windows the client does not have yet.
constexpr int kUnbuiltButtons[] = {CVEXADlg::kFriendButton, CVEXADlg::kSearchButton,
                                   CVEXADlg::kOrdersButton, CVEXADlg::kHelpButton,
                                   CVEXADlg::kSetupButton,  CVEXADlg::kAboutButton};

// Tray icons: the application, online, invisible, a chat text unread.
constexpr const char* kAppIcon = "128";
constexpr const char* kOnlineIcon = "3244";
constexpr const char* kInvisibleIcon = "3246";
constexpr const char* kUnreadIcon = "3249";

}  // namespace

CVEXADlg::CVEXADlg() : CVEXADlg(Options{}) {}

CVEXADlg::CVEXADlg(Options options) : options_(std::move(options)) {
    if (!options_.contacts) {
        options_.contacts = MakeContactsTree;
    }
}

CVEXADlg::~CVEXADlg() {
    ui::Shell& shell = ui::CurrentShell();
    for (const int timer : {kSetupTimer, kProbeTimer, kChatBlinkTimer, kPopupTimer}) {
        shell.KillTimer(timer);
    }
    if (tray_shown_) {
        shell.RemoveTrayIcon();
    }
    // The receive thread posts into the dispatcher: stop it before the dispatcher goes.
    net::StopUdpEndpoint();
}

int CVEXADlg::DoModal() {
    ui::Shell& shell = ui::CurrentShell();
    form_ = shell.CreateForm("main");
    OnInitDialog();
    return shell.RunModal(*form_);
}

void CVEXADlg::OnInitDialog() {
    ui::Shell& shell = ui::CurrentShell();
    form_->SetTitle(kInitialTitle);
    form_->SetImageList(kContacts, ContactsTree::kImageBitmap, ContactsTree::kImageCell,
                        ContactsTree::kImageCell);
    for (const int panel : kRolePanels) {
        form_->SetImageList(panel, ContactsTree::kImageBitmap, ContactsTree::kImageCell,
                            ContactsTree::kImageCell);
    }
    ContactTable.Clear();
    for (const int id : kPanes) {
        form_->Show(id, false);
    }
    for (const int id : kUnbuiltButtons) {
        form_->Enable(id, false);
    }
    form_->Enable(kWebButton, false);  // until the login has given the address
    SetMessageButtonIdle();

    form_->On(ui::kWindow, ui::Event::Close, [this] { OnClose(); });
    form_->On(ui::kWindow, ui::Event::Cancel, [] {});  // Escape never closes the window
    form_->On(kMessageButton, ui::Event::Clicked, [this] { OnMessageButton(); });
    form_->On(kMainMenuButton, ui::Event::Clicked, [this] { OnMainMenu(); });
    form_->On(kWebButton, ui::Event::Clicked,
              [] { ui::CurrentShell().OpenAddress(SessionContext.webside); });

    shell.SetTimer(kSetupTimer, kSetupMs, [this] { DeferredSetup(); });
    shell.SetTimer(kChatBlinkTimer, kChatBlinkMs, [this] { ChatBlinkTick(); });
}

std::string CVEXADlg::PersonTitle() {
    return "启泰维修管理系统_" + SessionContext.company_name + "_" + SessionContext.name +
           " [岗位：" + session::RoleName(SessionContext.u_kind) + "]";
}

void CVEXADlg::DeferredSetup() {
    ui::Shell& shell = ui::CurrentShell();
    shell.KillTimer(kSetupTimer);

    session::CLogin login;
    if (login.DoModal() != ui::kResultOk) {
        ui::EndProcess(-1);
    }
    if (options_.logged_in) {
        options_.logged_in();
    }

    const std::string title = PersonTitle();
    if (!shell.ClaimInstance(title)) {
        LocalDb.Close();
        shell.MessageBox("提示:程序已经运行，热键 Ctrl+1 。", "启泰维修管理系统");
        ui::EndProcess(-1);
    }
    SessionContext.soundOn = 1;
    form_->SetTitle(title);

    contacts_ = options_.contacts(*form_, *this);
    dispatcher_ = std::make_unique<net::Dispatcher>(*this, *contacts_, chats_);
    presence_ = std::make_unique<net::PresenceSender>(*contacts_);

    net::StartUdpEndpoint();
    offline_waiting_ = false;
    if (net::ProcessEndpoint().IsOpen()) {
        const std::string& qq = SessionContext.qq;
        std::vector<std::string> profile;
        CentralDb.QueryRows("select qq,name,version,server_area from zsv_quser where qq = " + qq,
                            {"qq", "name", "version", "server_area"}, profile, db::kSeparator);
        if (!profile.empty()) {
            SessionContext.name = db::RowField(profile.front(), 2);
            if (common::Trim(db::CADOEx::GetField(profile.front(), 3, db::kSeparator)) != "1.7") {
                CentralDb.Execute("update zsv_quser set version='1.7' where qq = " + qq);
            }
        }

        net::StartReceiveThread(dispatcher_->Handoff());
        if (SessionContext.soundOn == 1) {
            shell.PlaySound("IDR_SYSTEM");
        }
        SessionContext.pendingChats.clear();
        SessionContext.returnMode = 0;
        CentralDb.Close();
        shell.SetTimer(kPopupTimer, kPopupMs, [this] { PopupTick(); });

        tray_shown_ = shell.AddTrayIcon(
            kAppIcon, kTrayTip, [this](ui::TrayEvent event) { OnTray(static_cast<int>(event)); });
    }

    contacts_->Load();
    presence_->ProbeAndAnnounce();
    shell.SetTimer(kProbeTimer, kProbeMs, [this] { presence_->ProbeAndAnnounce(); });

    form_->Enable(kWebButton, !common::Trim(SessionContext.webside).empty());
    ShowPanes();
}

void CVEXADlg::ShowPanes() {
    for (const int id : kPanes) {
        form_->Show(id, true);
    }
    form_->Show(kStartPicture, false);
}

void CVEXADlg::OnClose() {
    if (presence_) {
        presence_->Broadcast("91" + net::PadRight(SessionContext.qq, 9));
    }
    if (tray_shown_) {
        ui::CurrentShell().RemoveTrayIcon();
        tray_shown_ = false;
    }
    form_->End(ui::kResultCancel);
}

void CVEXADlg::CloseProgram() {
    form_->End(ui::kResultCancel);
}

void CVEXADlg::CloseForOtherLogin() {
    if (closing_) {
        return;
    }
    closing_ = true;
    OnClose();
}

void CVEXADlg::AnswerContactRequest(const net::WireText& /*request*/) {
    // The answer dialogue comes with the contact requests window; the request itself stays
    // stored centrally and is offered again at the next start.
}

void CVEXADlg::TakeOfflineMessages() {
    offline_waiting_ = false;
    ui::CurrentShell().KillTimer(kOfflineBlinkTimer);
    SetMessageButtonIdle();
}

void CVEXADlg::OpenChatWindow(int /*index*/) {
    // The chat window comes with its own issue; received lines are kept by HeldChats.
}

void CVEXADlg::OnMessageButton() {
    SetMessageButtonIdle();
    if (dispatcher_) {
        dispatcher_->ConsumeNoticeQueue();
    }
}

void CVEXADlg::OnMainMenu() {
    const int command = ui::CurrentShell().PopupMenu({{kCommandCloseProgram, "关闭程序"}});
    if (command == kCommandCloseProgram) {
        CloseProgram();
    }
}

void CVEXADlg::OnTray(int event) {
    ui::Shell& shell = ui::CurrentShell();
    if (static_cast<ui::TrayEvent>(event) == ui::TrayEvent::LeftClick) {
        if (form_->IsWindowShown()) {
            form_->ShowWindow(false);
        } else {
            form_->ShowWindow(true);
            form_->BringToFront();
        }
        return;
    }
    form_->BringToFront();
    const int command =
        shell.PopupMenu({{kCommandShowWindow, "显示窗口"}, {0, ""}, {kCommandExit, "退出程序"}});
    if (command == kCommandShowWindow) {
        form_->ShowWindow(true);
        form_->BringToFront();
    } else if (command == kCommandExit) {
        form_->Close();
    }
}

void CVEXADlg::SetMessageButtonIdle() {
    blink_ = false;
    form_->SetChecked(kMessageButton, false);
}

void CVEXADlg::FlipMessageButton() {
    blink_ = !blink_;
    form_->SetChecked(kMessageButton, blink_);
}

void CVEXADlg::SetTrayByPresence() {
    if (tray_shown_) {
        ui::CurrentShell().SetTrayIcon(SessionContext.online == session::kOnline ? kOnlineIcon
                                                                                 : kInvisibleIcon);
    }
}

void CVEXADlg::ChatBlinkTick() {
    if (SessionContext.pendingChats.empty()) {
        SetMessageButtonIdle();
        SetTrayByPresence();
        return;
    }
    FlipMessageButton();
    if (blink_) {
        if (tray_shown_) {
            ui::CurrentShell().SetTrayIcon(kUnreadIcon);
        }
    } else {
        SetTrayByPresence();
    }
}

void CVEXADlg::PopupTick() {
    ui::CurrentShell().KillTimer(kPopupTimer);
    std::vector<std::string> rows;
    CentralDb.QueryRows("select Popup, Popup1 from zsv_about where id = 1", {"Popup", "Popup1"},
                        rows, db::kSeparator);
    if (!rows.empty() && db::RowField(rows.front(), 1) == "1") {
        const std::string address =
            common::Trim(db::CADOEx::GetField(rows.front(), 2, db::kSeparator));
        if (!address.empty()) {
            ui::CurrentShell().OpenAddress(address);
        }
    }
    CentralDb.Close();
}

void CVEXADlg::Logout() {
    if (SessionContext.qq.empty()) {
        return;
    }
    if (presence_) {
        presence_->SendLogoutNotices();
    }
    session::RecordLogout();
    session::SaveConversationHistory();
    net::StopUdpEndpoint();
}

}  // namespace mainwnd
