// The main window and the process life around it, on real stores with the scripted shell: the
// order of the set-up, the lock per person, the two ways of ending and what each sends, the
// early end from the login window, and the timers on the virtual clock.
#include "mainwnd/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "mainwnd/contacts_pane.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "session/application.h"
#include "session/login.h"
#include "session/session_context.h"
#include "support/qt_app.h"
#include "support/scripted_shell.h"
#include "support/stores_fixture.h"
#include "support/udp_peer.h"

namespace {

using mainwnd::CVEXADlg;
using net::PadRight;
using session::CLogin;
using testing_support::ProcessEnded;
using testing_support::UdpPeer;

// What the set-up had done when one of its steps reached the shell or the tree.
struct Step {
    std::string what;
    bool socket_open = false;
    bool receiving = false;
    bool tray = false;
};

class RecordingShell : public testing_support::ScriptedShell {
  public:
    int RunModal(ui::Form& form) override {
        const int result = ScriptedShell::RunModal(form);
        if (form.TemplateName() == "login") {
            Record("login");
        }
        return result;
    }
    bool ClaimInstance(const std::string& name) override {
        Record("lock " + name);
        return ScriptedShell::ClaimInstance(name);
    }
    bool AddTrayIcon(const std::string& icon, const std::string& tip,
                     std::function<void(ui::TrayEvent)> handler) override {
        Record("tray");
        return ScriptedShell::AddTrayIcon(icon, tip, std::move(handler));
    }
    void Record(const std::string& what) {
        steps.push_back({what, net::ProcessEndpoint().IsOpen(),
                         net::ProcessEndpoint().IsReceiving(), tray_shown});
    }

    std::vector<Step> steps;
};

// The real contacts tree, with its load recorded.
class RecordedTree final : public mainwnd::ContactsPane {
  public:
    RecordedTree(ui::Form& form, mainwnd::ContactsTreeHost& host, RecordingShell& shell)
        : tree_(mainwnd::MakeContactsTree(form, host)), shell_(shell) {}
    void Load() override {
        shell_.Record("tree");
        tree_->Load();
    }
    void AddContactItem(int group, const std::string& text, int image, const std::string& remark,
                        long long account) override {
        tree_->AddContactItem(group, text, image, remark, account);
    }
    void SetContactIcon(long long account, int image) override {
        tree_->SetContactIcon(account, image);
    }
    std::vector<long long> ContactItemAccounts() const override {
        return tree_->ContactItemAccounts();
    }

  private:
    std::unique_ptr<mainwnd::ContactsPane> tree_;
    RecordingShell& shell_;
};

std::vector<std::string> Codes(const UdpPeer& peer) {
    std::vector<std::string> codes;
    while (const auto datagram = peer.Receive(200)) {
        codes.push_back(datagram->bytes.substr(0, 2));
    }
    return codes;
}

class MainWindowTest : public testing_support::StoresTest {
  protected:
    void SetUp() override {
        StoresTest::SetUp();
        testing_support::EnsureQtApplication();
        manager_ = AddManager("王经理", "123456", "东城维修店");
        service_ = AddAccount("客服小李", "2", "123456", manager_);
        // The relay and the contact are loopback peers; the contact is online at its peer.
        CentralExecute("update zsv_about set Port_server = " + std::to_string(relay_.port()) +
                       " where id = 1");
        CentralExecute("update zsv_quser set online = 1, lastip = '127.0.0.1', lastport = '" +
                       std::to_string(contact_.port()) + "' where qq = " + service_);
        CentralExecute("update zsv_quser set version = '1.6' where qq = " + manager_);
        LogInAs(manager_);
    }
    void TearDown() override { net::StopUdpEndpoint(); }

    void LogInAs(const std::string& account) {
        shell_.OnModal("login", [account](ui::Form& form) {
            form.Type(CLogin::kAccount, account);
            form.Type(CLogin::kPassword, "123456");
            form.Click(CLogin::kLogin);
        });
    }

    CVEXADlg::Options Recorded() {
        CVEXADlg::Options options;
        options.contacts = [this](ui::Form& form, mainwnd::ContactsTreeHost& host) {
            return std::make_unique<RecordedTree>(form, host, shell_);
        };
        return options;
    }

    // The client's process life with `person` doing what a person does in the main window
    // after its set-up (the first 100 ms); returns the exit status, or the code of an early end.
    int RunClient(std::function<void(ui::Form&)> person) {
        shell_.OnModal("main", [this, person](ui::Form& form) {
            shell_.AdvanceTime(100);
            shell_.AdvanceTime(300);  // the first presence broadcast is out
            contact_.Drain();
            person(form);
        });
        try {
            return session::RunClient(home_.path(), Recorded());
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
    }

    std::string Central(const std::string& sql, const std::string& column) {
        const auto rows = CentralRows(sql, {column});
        return rows.empty() ? std::string("<none>") : rows.front();
    }

    RecordingShell shell_;
    UdpPeer relay_;
    UdpPeer contact_;
    std::string manager_;
    std::string service_;
};

TEST_F(MainWindowTest, SetUpRunsLoginLockSocketThreadTrayTreeThenProbe) {
    const std::string title = "启泰维修管理系统_东城维修店_王经理 [岗位：经理]";
    std::string shown_title;
    std::vector<bool> panes_shown;
    std::vector<std::string> first_texts;
    shell_.OnModal("main", [&](ui::Form& form) {
        shell_.AdvanceTime(99);
        EXPECT_TRUE(shell_.steps.empty()) << "the set-up waits for the first tick";
        EXPECT_FALSE(form.IsShown(CVEXADlg::kContacts));
        shell_.AdvanceTime(1);
        shown_title = form.Title();
        for (const int id : {CVEXADlg::kContacts, CVEXADlg::kOrders, CVEXADlg::kManagerPanel,
                             CVEXADlg::kStorekeeperPanel, CVEXADlg::kStartPicture}) {
            panes_shown.push_back(form.IsShown(id));
        }
        // The link probe goes out at once; the presence broadcast follows after its pause.
        if (const auto probe = contact_.Receive()) {
            first_texts.push_back(probe->bytes);
        }
        shell_.AdvanceTime(200);
        if (const auto presence = contact_.Receive()) {
            first_texts.push_back(presence->bytes);
        }
        form.Close();
    });
    session::RunClient(home_.path(), Recorded());

    ASSERT_EQ(shell_.steps.size(), 4u);
    const auto& s = shell_.steps;
    EXPECT_EQ(s[0].what, "login");
    EXPECT_FALSE(s[0].socket_open);
    EXPECT_EQ(s[1].what, "lock " + title);
    EXPECT_FALSE(s[1].socket_open);
    EXPECT_EQ(s[2].what, "tray");
    EXPECT_TRUE(s[2].socket_open);
    EXPECT_TRUE(s[2].receiving);
    EXPECT_EQ(s[3].what, "tree");
    EXPECT_TRUE(s[3].tray);
    EXPECT_EQ(shown_title, title);
    EXPECT_EQ(panes_shown, (std::vector<bool>{true, true, true, true, false}));
    EXPECT_EQ(first_texts, (std::vector<std::string>{"d" + PadRight(manager_, 9) + '\0',
                                                     "90" + PadRight(manager_, 9) + '\0'}));
    // The own profile step stamped the client's version; the relay heard from the tree.
    EXPECT_EQ(Central("select version from zsv_quser where qq = " + manager_, "version"), "1.7");
    EXPECT_TRUE(relay_.Receive().has_value());
    EXPECT_EQ(shell_.sounds, std::vector<std::string>{"IDR_SYSTEM"});
}

TEST_F(MainWindowTest, LockRefusesTheSamePersonAndAdmitsAnother) {
    struct Case {
        const char* name;
        std::string held;  // the title another process holds
        bool refused;
    };
    const std::vector<Case> cases = {
        {"same person", "启泰维修管理系统_东城维修店_王经理 [岗位：经理]", true},
        {"another person", "启泰维修管理系统_东城维修店_客服小李 [岗位：客服]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        net::StopUdpEndpoint();
        shell_.instances_elsewhere = {c.held};
        shell_.ClearMessages();
        const int status = RunClient([](ui::Form& form) { form.Close(); });
        if (c.refused) {
            EXPECT_EQ(status, -1);
            ASSERT_EQ(shell_.messages().size(), 1u);
            EXPECT_EQ(shell_.messages()[0].text, "提示:程序已经运行，热键 Ctrl+1 。");
            EXPECT_EQ(shell_.messages()[0].caption, "启泰维修管理系统");
            EXPECT_FALSE(net::ProcessEndpoint().IsOpen());
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_TRUE(shell_.messages().empty());
        }
    }
}

TEST_F(MainWindowTest, EndingSendsItsPresenceTextsAndLogsOut) {
    struct Case {
        const char* name;
        std::function<void(RecordingShell&, ui::Form&)> end;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"caption close", [](RecordingShell&, ui::Form& form) { form.Close(); }, {"91", "92"}},
        {"关闭程序",
         [](RecordingShell& shell, ui::Form& form) {
             shell.menu_choices.push_back(CVEXADlg::kCommandCloseProgram);
             form.Click(CVEXADlg::kMainMenuButton);
         },
         {"92"}},
        {"tray 退出程序",
         [](RecordingShell& shell, ui::Form&) {
             shell.menu_choices.push_back(CVEXADlg::kCommandExit);
             shell.ClickTray(ui::TrayEvent::RightClick);
         },
         {"91", "92"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CentralExecute("update zsv_quser set online = 1 where qq = " + manager_);
        EXPECT_EQ(RunClient([&](ui::Form& form) { c.end(shell_, form); }), 0);
        EXPECT_EQ(Codes(contact_), c.texts);
        EXPECT_FALSE(shell_.tray_shown);
        EXPECT_EQ(Central("select online from zsv_quser where qq = " + manager_, "online"), "3");
        EXPECT_EQ(Central("select count(*) as n from zsv_login where qq = " + manager_ +
                              " and (endtime is null or onlinetime is null)",
                          "n"),
                  "0");
    }
}

TEST_F(MainWindowTest, LeavingTheLoginWindowEndsWithMinusOneAndWritesNothing) {
    const auto quser =
        CentralRows("select * from zsv_quser order by qq", {"qq", "online", "lastip"});
    const auto logins = CentralRows("select count(*) as n from zsv_login", {"n"});
    const auto local = LocalRows("select count(*) as n from login", {"n"});
    shell_.OnModal("login", [](ui::Form& form) { form.Close(); });
    EXPECT_EQ(RunClient([](ui::Form& form) { form.Close(); }), -1);
    EXPECT_EQ(CentralRows("select * from zsv_quser order by qq", {"qq", "online", "lastip"}),
              quser);
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_login", {"n"}), logins);
    EXPECT_EQ(LocalRows("select count(*) as n from login", {"n"}), local);
    EXPECT_TRUE(LocalRows("select content from diaRecord", {"content"}).empty());
    EXPECT_FALSE(contact_.Receive(200).has_value());
}

TEST_F(MainWindowTest, EscapeAndEnterLeaveTheWindowOpen) {
    bool open_after_keys = false;
    RunClient([&](ui::Form& form) {
        form.PressEscape();
        form.PressEnter();
        open_after_keys = !form.EndResult().has_value();
        form.Close();
    });
    EXPECT_TRUE(open_after_keys);
}

TEST_F(MainWindowTest, MessageButtonAndTrayBlinkWhileChatsAreUnread) {
    std::vector<std::pair<bool, std::string>> seen;  // button checked, tray icon
    RunClient([&](ui::Form& form) {
        auto look = [&] {
            seen.emplace_back(form.Checked(CVEXADlg::kMessageButton), shell_.tray_icon);
        };
        shell_.AdvanceTime(500);
        look();
        SessionContext.pendingChats = "*" + service_ + ".";
        shell_.AdvanceTime(500);
        look();
        shell_.AdvanceTime(500);
        look();
        SessionContext.pendingChats.clear();
        shell_.AdvanceTime(500);
        look();
        form.Close();
    });
    const std::vector<std::pair<bool, std::string>> expected = {
        {false, "3244"}, {true, "3249"}, {false, "3244"}, {false, "3244"}};
    EXPECT_EQ(seen, expected);
}

TEST_F(MainWindowTest, AnnouncementOpensAfterAMinuteOnlyWhenSwitchedOn) {
    struct Case {
        const char* popup;
        std::vector<std::string> opened;
    };
    for (const Case& c : {Case{"1", {"http://127.0.0.1/notice.html"}}, Case{"0", {}}}) {
        SCOPED_TRACE(c.popup);
        net::StopUdpEndpoint();
        CentralExecute(std::string("update zsv_about set Popup = '") + c.popup +
                       "', Popup1 = 'http://127.0.0.1/notice.html' where id = 1");
        shell_.opened_addresses.clear();
        std::vector<std::string> before_minute;
        RunClient([&](ui::Form& form) {
            shell_.AdvanceTime(59500);
            before_minute = shell_.opened_addresses;
            shell_.AdvanceTime(60000);  // once only
            form.Close();
        });
        EXPECT_TRUE(before_minute.empty());
        EXPECT_EQ(shell_.opened_addresses, c.opened);
    }
}

TEST_F(MainWindowTest, ChatTextsOfTheRunReachTheHistory) {
    RunClient([&](ui::Form& form) {
        const int index = ContactTable.FindContact(service_);
        ASSERT_GE(index, 0);
        ContactTable.Entry(index).conversation =
            "客服小李(" + service_ + ") 9:5:7\r\n  它's ok\r\n";
        form.Close();
    });
    const auto rows = LocalRows(
        "select content from diaRecord where source = " + manager_ + " and target = " + service_,
        {"content"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], "客服小李(" + service_ + ") 9:5:7\r\n  它's ok\r\n");
}

}  // namespace
