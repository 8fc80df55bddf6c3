// The time from a confirmed login to a usable main window (set-up done, contacts tree drawn,
// panes shown) for a manager with 99 contacts, on the embedded engine. The windows are the real
// Qt forms under the offscreen platform, driven by the scripted shell.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "db/stores.h"
#include "mainwnd/main_window.h"
#include "net/udp_endpoint.h"
#include "session/login.h"
#include "support/qt_app.h"
#include "support/scripted_shell.h"
#include "support/temp_home.h"

namespace {

using Clock = std::chrono::steady_clock;

bool MakeShop(std::string& manager) {
    std::string error;
    std::string platform_password;
    if (db::CreateLocalStore("127.0.0.1", false, error) != db::CreateResult::Created ||
        db::CreateCentralStore(false, error) != db::CreateResult::Created ||
        !db::InitCentralData(db::CentralSettings{}, platform_password, error)) {
        std::fprintf(stderr, "stores: %s\n", error.c_str());
        return false;
    }
    db::NewAccount boss;
    boss.name = "王经理";
    boss.role = "1";
    boss.password = "123456";
    boss.company = "测试维修店";
    manager = db::CreateAccount(boss, error);
    if (manager.empty()) {
        std::fprintf(stderr, "manager: %s\n", error.c_str());
        return false;
    }
    const char* roles[] = {"2", "4", "5"};
    for (int i = 0; i < 110; ++i) {  // more than the tree holds: it keeps 99
        db::NewAccount person;
        person.name = "员工" + std::to_string(i);
        person.role = roles[i % 3];
        person.password = "123456";
        person.manager = manager;
        const std::string qq = db::CreateAccount(person, error);
        if (qq.empty() || !db::LinkShopMember(qq, manager, error)) {
            std::fprintf(stderr, "employee: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    testing_support::EnsureQtApplication();
    testing_support::TempHome home;
    testing_support::ScriptedShell shell;
    std::string manager;
    if (!MakeShop(manager)) {
        return 1;
    }
    shell.OnModal("login", [&](ui::Form& form) {
        form.Type(session::CLogin::kAccount, manager);
        form.Type(session::CLogin::kPassword, "123456");
        form.Click(session::CLogin::kLogin);
    });

    std::vector<double> runs;
    std::size_t items = 0;
    for (int run = 0; run < 7; ++run) {
        Clock::time_point confirmed;
        Clock::time_point usable;
        mainwnd::CVEXADlg::Options options;
        options.logged_in = [&] { confirmed = Clock::now(); };
        mainwnd::CVEXADlg window(std::move(options));
        shell.OnModal("main", [&](ui::Form& form) {
            shell.AdvanceTime(100);
            usable = Clock::now();
            items = 0;
            for (const ui::TreeItem group : form.TreeChildren(mainwnd::CVEXADlg::kContacts, 0)) {
                items += form.TreeChildren(mainwnd::CVEXADlg::kContacts, group).size();
            }
            form.End(ui::kResultCancel);
        });
        window.DoModal();
        net::StopUdpEndpoint();
        runs.push_back(std::chrono::duration<double, std::milli>(usable - confirmed).count());
    }
    std::sort(runs.begin(), runs.end());
    std::printf(
        "main window: confirmed login to usable window, %zu contacts in the tree: "
        "median %.1f ms, best %.1f ms, worst %.1f ms over %zu runs\n",
        items, runs[runs.size() / 2], runs.front(), runs.back(), runs.size());
    return 0;
}
