// The main window (template "main"): the shell of the client. Its first timer tick runs the
// deferred set-up: the login, the title and the one-client-per-person lock, the UDP endpoint,
// the own profile, the receive thread, the tray icon, the contacts tree and the first link
// probe with the presence broadcast. Then its timers keep the links and blink the message
// button while chat texts are unread, until the person closes it.
//
// Windows that the client does not have yet are not offered: their tool buttons are disabled
// and their menu items left out. The role panels and the work order list stay empty.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mainwnd/contacts_pane.h"
#include "mainwnd/held_chats.h"
#include "net/dispatch_targets.h"
#include "net/dispatcher.h"
#include "net/presence.h"
#include "ui/form.h"

namespace mainwnd {

class CVEXADlg final : public net::MainFrame, public ContactsTreeHost {
  public:
    // Controls of the template.
    static constexpr int kContacts = 3029;
    static constexpr int kOrders = 3050;
    static constexpr int kManagerPanel = 3152;
    static constexpr int kServicePanel = 3153;
    static constexpr int kTechnicianPanel = 3154;
    static constexpr int kStorekeeperPanel = 3155;
    static constexpr int kContactsLabel = 3173;
    static constexpr int kOrdersLabel = 3174;
    static constexpr int kStartPicture = 3171;
    static constexpr int kMessageButton = 3060;
    static constexpr int kMainMenuButton = 3288;
    static constexpr int kFriendButton = 3072;
    static constexpr int kSearchButton = 1006;
    static constexpr int kOrdersButton = 1007;
    static constexpr int kHelpButton = 1008;
    static constexpr int kSetupButton = 1009;
    static constexpr int kAboutButton = 1010;
    static constexpr int kWebButton = 3172;

    // Timers.
    static constexpr int kSetupTimer = 1001;
    static constexpr int kProbeTimer = 1002;
    static constexpr int kChatBlinkTimer = 22;
    static constexpr int kLinksBlinkTimer = 33;
    static constexpr int kOfflineBlinkTimer = 11;
    static constexpr int kPopupTimer = 55;
    static constexpr int kSearchTimer = 66;

    // Commands of the menus.
    static constexpr int kCommandCloseProgram = 3800;
    static constexpr int kCommandShowWindow = 3798;
    static constexpr int kCommandExit = 32775;

    static constexpr const char* kInitialTitle = "启泰协同维修管理系统";
    static constexpr const char* kTrayTip = "启泰协同维修管理软件";

    struct Options {
        // The contacts tree; MakeContactsTree when empty.
        ContactsPaneFactory contacts;
        // Called once the login is confirmed, before anything else of the set-up.
        std::function<void()> logged_in;
    };

    CVEXADlg();
    explicit CVEXADlg(Options options);
    ~CVEXADlg() override;
    CVEXADlg(const CVEXADlg&) = delete;
    CVEXADlg& operator=(const CVEXADlg&) = delete;

    // Makes the window, initialises it and runs it until it ends.
    int DoModal();
    // The end of a run after a login: the "92" texts to every contact with an address, the
    // central logout record and the conversation history; then the socket is closed. Nothing
    // is written when nobody logged in.
    void Logout();

    // The operations of the window, bound to its controls and timers by DoModal.
    void OnInitDialog();
    void DeferredSetup();
    void OnClose();
    void CloseProgram();
    void OnMessageButton();
    void OnMainMenu();
    void OnTray(int event);
    void ChatBlinkTick();
    void PopupTick();

    // The window's title after the login: shop, name and role.
    static std::string PersonTitle();

    ui::Form* form() { return form_.get(); }
    bool Blinking() const { return blink_; }
    bool TrayShown() const { return tray_shown_; }

    // net::MainFrame
    void CloseForOtherLogin() override;
    void ShowDrawList() override {}
    void ShowWorkOrderParts() override {}
    void AnswerContactRequest(const net::WireText& request) override;
    void FlipMessageButton() override;
    void Redraw() override {}

    // ContactsTreeHost
    bool OfflineMessagesWaiting() const override { return offline_waiting_; }
    void TakeOfflineMessages() override;
    void OpenChatWindow(int index) override;

  private:
    void SetMessageButtonIdle();
    void SetTrayByPresence();
    void ShowPanes();

    Options options_;
    std::unique_ptr<ui::Form> form_;
    std::unique_ptr<ContactsPane> contacts_;
    HeldChats chats_;
    std::unique_ptr<net::Dispatcher> dispatcher_;
    std::unique_ptr<net::PresenceSender> presence_;
    bool blink_ = false;
    bool tray_shown_ = false;
    bool offline_waiting_ = false;
    bool closing_ = false;
};

}  // namespace mainwnd
