// The login window (dialog 225): the accounts used on this computer with their remembered
// passwords, the client version check, the per-day count of failed logins, the check of
// account and password against the central database, the presence and the session record.
// It ends confirmed with SessionContext filled, or cancelled; quitting ends the process (-1).
#pragma once

#include <memory>
#include <string>

#include "ui/form.h"

namespace session {

// The version of this client, compared with the settings row's ClientVersion.
inline constexpr double kClientVersion = 1.7;

class CLogin {
  public:
    // Control ids of the window.
    static constexpr int kAccount = 1004;
    static constexpr int kPassword = 1012;
    static constexpr int kLogin = 1001;
    static constexpr int kRememberBox = 1060;
    static constexpr int kInvisibleBox = 1061;
    static constexpr int kForget = 3057;
    static constexpr int kQuit = 3162;
    static constexpr int kRegister = 3163;
    static constexpr int kRecover = 3164;

    CLogin() = default;
    CLogin(const CLogin&) = delete;
    CLogin& operator=(const CLogin&) = delete;

    // Opens the window, runs Init and then the window modally: ui::kResultOk when the login
    // was confirmed, ui::kResultCancel when the window was closed.
    int DoModal();

    // The operations of the window, bound to its controls by DoModal.
    void Init();
    void AccountChosen();
    void Login();
    void ForgetAccount();
    [[noreturn]] void Quit();
    void OnClose();

  private:
    // Exchanges the account and password texts with the controls: read them, or show them.
    void ReadTexts();
    void ShowTexts();
    // Password and check boxes from the local row of `account` (steps 3 to 5 of a choice).
    void FillFromLocalRow(const std::string& account);
    void FillAccountList();
    // The version and server settings of the settings row; a forced update ends the process.
    void CheckVersionAndServers();

    std::unique_ptr<ui::Form> form_;
    std::string account_;
    std::string password_;
};

}  // namespace session
