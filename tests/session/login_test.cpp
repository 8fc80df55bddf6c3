// The login window against real stores, driven as a person would through its form.
#include "session/login.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "db/scramble.h"
#include "session/session_context.h"
#include "support/stores_fixture.h"

namespace {

using session::CLogin;
using testing_support::ProcessEnded;

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_mday);
}

std::string OtherDay() {
    return Today() == "1" ? "2" : "1";
}

class LoginTest : public testing_support::StoresTest {
  protected:
    void SetUp() override {
        StoresTest::SetUp();
        technician_ = AddAccount("技术员甲", "4", "123456");
    }

    // One start of the login window; `person` does what the person does in it.
    int Run(std::function<void(ui::Form&)> person) {
        shell_.OnModal("login", std::move(person));
        CLogin login;
        return login.DoModal();
    }

    // Types account and password and presses 登录.
    static void Attempt(ui::Form& form, const std::string& account, const std::string& password) {
        form.Type(CLogin::kAccount, account);
        form.Type(CLogin::kPassword, password);
        form.Click(CLogin::kLogin);
    }

    // The local row of an account: f_times, f_day, passwordd, remember, hide.
    std::optional<std::vector<std::string>> LocalRow(const std::string& qq) {
        const auto rows = LocalRows(
            "select f_times,f_day,passwordd,remember,hide from login "
            "where qq = " +
                qq,
            {"f_times", "f_day", "passwordd", "remember", "hide"});
        if (rows.empty()) {
            return std::nullopt;
        }
        std::vector<std::string> fields;
        for (int i = 1; i <= 5; ++i) {
            fields.push_back(db::CADOEx::GetField(rows.front(), i, db::kSeparator));
        }
        return fields;
    }

    std::string LastAccount() {
        const auto rows = LocalRows("select lastqq from about", {"lastqq"});
        return rows.empty() ? "<none>" : rows.front();
    }

    void SetVersion(const std::string& version, int upgrade) {
        CentralExecute("update zsv_about set ClientVersion = '" + version +
                       "', Upgrade = " + std::to_string(upgrade) +
                       ", webside = 'http://update.example/qitai/' where id = 1");
    }

    std::string technician_;
};

// --- the failure table, row by row ---

struct FailureCase {
    std::string name;
    std::optional<std::pair<int, std::string>> local_row;  // f_times and f_day before
    bool locked;
    std::string account;  // "@" stands for the technician's number
    std::string password;
    std::string message;
    std::string caption;
    std::optional<std::pair<std::string, std::string>> row_after;  // f_times, f_day after
};

TEST_F(LoginTest, FailedAttemptsLeaveTheWindowOpenWithTheirMessage) {
    const std::string today = Today();
    const std::string kWrong = "提示：用户号码或用户口令不正确";
    const std::string kLock = "提示：密码错误超过7次，请于24小时后再试。";
    const std::vector<FailureCase> cases = {
        {"empty account", std::nullopt, false, "  ", "123456", "提示：请输入用户号码", "提示信息",
         std::nullopt},
        {"account with a letter", std::nullopt, false, "1000a1", "123456", "提示：请输入正确号码",
         "提示信息", std::nullopt},
        {"wrong password, local row counts", std::make_pair(0, std::string("0")), false, "@",
         "654321", kWrong, "提示信息", std::make_pair(std::string("1"), today)},
        {"wrong password, no local row", std::nullopt, false, "@", "654321", kWrong, "提示信息",
         std::nullopt},
        {"unknown account", std::nullopt, false, "999999", "123456", kWrong, "提示信息",
         std::nullopt},
        {"seventh failure of the day", std::make_pair(6, today), false, "@", "x", kWrong,
         "提示信息", std::make_pair(std::string("7"), today)},
        {"eighth attempt of the day, right password", std::make_pair(7, today), false, "@",
         "123456", kLock, "提示信息", std::make_pair(std::string("7"), today)},
        {"many failures on another day go on counting", std::make_pair(9, OtherDay()), false, "@",
         "x", kWrong, "提示信息", std::make_pair(std::string("10"), today)},
        {"locked account", std::make_pair(2, today), true, "@", "123456",
         "提示: 此用户号码已经锁定。", "提示", std::make_pair(std::string("2"), today)},
        {"a quote in the password cannot widen the query", std::nullopt, false, "@", "x' or '1'='1",
         kWrong, "提示信息", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LocalExecute("delete from login");
        if (c.local_row) {
            LocalExecute("insert into login (qq,passwordd,remember,hide,f_times,f_day) values (" +
                         technician_ + ",'','0','0'," + std::to_string(c.local_row->first) + "," +
                         c.local_row->second + ")");
        }
        CentralExecute("update zsv_quser set qlock = " + std::string(c.locked ? "1" : "0") +
                       " where qq = " + technician_);
        shell_.ClearMessages();
        const std::string account = c.account == "@" ? technician_ : c.account;
        bool open_after_attempt = false;
        const int result = Run([&](ui::Form& form) {
            Attempt(form, account, c.password);
            open_after_attempt = !form.EndResult().has_value();
            form.Close();
        });
        EXPECT_EQ(result, ui::kResultCancel);
        EXPECT_TRUE(open_after_attempt);
        ASSERT_EQ(shell_.messages().size(), 1u);
        EXPECT_EQ(shell_.messages()[0].text, c.message);
        EXPECT_EQ(shell_.messages()[0].caption, c.caption);
        const auto row = LocalRow(technician_);
        EXPECT_EQ(row.has_value(), c.row_after.has_value());
        if (row && c.row_after) {
            EXPECT_EQ((*row)[0], c.row_after->first);
            EXPECT_EQ((*row)[1], c.row_after->second);
        }
        EXPECT_EQ(SessionContext.qq, "") << "no identity after a failed attempt";
    }
}

TEST_F(LoginTest, CentralServerUnreachableEndsTheProcess) {
    CentralDb.Close();
    std::filesystem::remove(home_.path() / "ZSV.db");
    try {
        Run([](ui::Form& form) { form.Close(); });
        FAIL() << "the login went on without a server";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, -1);
    }
    EXPECT_EQ(shell_.texts(), std::vector<std::string>{"提示：无法连接服务器，请检查网络连接。"});
}

// --- versions ---

struct VersionCase {
    std::string version;
    int upgrade;
    std::optional<std::string> message;
    bool ends;
};

TEST_F(LoginTest, NewerVersionsAreAnnouncedAndAForcedOneEndsTheProcess) {
    const std::string tail = " ！\r\n     下载地址 http://update.example/qitai/";
    const std::vector<VersionCase> cases = {
        {"1.7", 1, std::nullopt, false},
        {"1.70", 1, std::nullopt, false},
        {"1.6", 1, std::nullopt, false},
        {"1.71", 0, "提示:程序有更新，请下载安装新版本 V1.71" + tail, false},
        {"1.71", 1, "提示:程序有更新，请下载安装最新版本 V1.71" + tail, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version + " upgrade " + std::to_string(c.upgrade));
        SetVersion(c.version, c.upgrade);
        shell_.ClearMessages();
        shell_.opened_addresses.clear();
        SessionContext = session::Context{};
        std::optional<int> ended;
        int result = 0;
        try {
            result = Run([&](ui::Form& form) { Attempt(form, technician_, "123456"); });
        } catch (const ProcessEnded& end) {
            ended = end.code;
        }
        if (c.ends) {
            EXPECT_EQ(ended, -1);
            EXPECT_EQ(shell_.opened_addresses,
                      std::vector<std::string>{"http://update.example/qitai/"});
            EXPECT_EQ(SessionContext.qq, "");
        } else {
            EXPECT_EQ(ended, std::nullopt);
            EXPECT_EQ(result, ui::kResultOk);
            EXPECT_TRUE(shell_.opened_addresses.empty());
            EXPECT_EQ(SessionContext.qq, technician_);
        }
        if (c.message) {
            ASSERT_EQ(shell_.messages().size(), 1u);
            EXPECT_EQ(shell_.messages()[0].text, *c.message);
            EXPECT_EQ(shell_.messages()[0].caption, "启泰");
        } else {
            EXPECT_TRUE(shell_.messages().empty());
        }
    }
}

// --- successful logins ---

TEST_F(LoginTest, ATrimmedAccountLogsInAndFillsTheSession) {
    const std::string manager = AddManager("王经理", "m1");
    CentralExecute("update zsv_quser set TiCheng_S = 0.1, JiBen_T = 2500 where qq = " + manager);
    CentralExecute(
        "update zsv_about set CurrentIp = '10.1.2.3', SaveDialog = '1', "
        "Port_server = 9877, webside = 'http://w.example/' where id = 1");
    LocalExecute("insert into login (qq,passwordd,remember,hide,f_times,f_day) values (" + manager +
                 ",'','0','0',3," + Today() + ")");

    const int result = Run([&](ui::Form& form) { Attempt(form, "  " + manager + " ", "m1"); });
    ASSERT_EQ(result, ui::kResultOk);
    EXPECT_TRUE(shell_.messages().empty());
    EXPECT_EQ(SessionContext.qq, manager);
    EXPECT_EQ(SessionContext.name, "王经理");
    EXPECT_EQ(SessionContext.u_kind, "1");
    EXPECT_EQ(SessionContext.company_name, "测试维修店");
    EXPECT_EQ(SessionContext.online, "1");
    EXPECT_EQ(SessionContext.TiCheng_S, "0.1");
    EXPECT_EQ(SessionContext.JiBen_T, "2500");
    EXPECT_EQ(SessionContext.webside, "http://w.example/");
    EXPECT_EQ(SessionContext.SaveDialog, "1");
    EXPECT_EQ(SessionContext.Port_server, 9877);
    EXPECT_FALSE(SessionContext.localIp.empty());

    const auto presence = CentralRows("select logins,online from zsv_quser where qq = " + manager,
                                      {"logins", "online"});
    EXPECT_EQ(presence, std::vector<std::string>{"1*@#$*1"});
    const auto sessions = CentralRows("select qq,ip from zsv_login", {"qq", "ip"});
    EXPECT_EQ(sessions, std::vector<std::string>{manager + "*@#$*" + SessionContext.localIp});
    EXPECT_EQ(LastAccount(), manager);
    const auto row = LocalRow(manager);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[0], "0") << "the counter returns to 0";
    EXPECT_EQ((*row)[1], "0");
    // The next start connects to the server that the settings row names.
    const auto servers = LocalRows("select CurrentIp from about where id = 1", {"CurrentIp"});
    ASSERT_EQ(servers.size(), 1u);
    EXPECT_EQ(db::UnscrambleAddress(servers[0]), "10.1.2.3");
}

TEST_F(LoginTest, EnterLogsInFromEitherBox) {
    for (const int focus : {CLogin::kAccount, CLogin::kPassword}) {
        SCOPED_TRACE(focus);
        SessionContext.qq.clear();
        const int result = Run([&](ui::Form& form) {
            form.Type(CLogin::kAccount, technician_);
            form.Type(CLogin::kPassword, "123456");
            form.SetFocus(focus);
            form.PressEnter();
            if (!form.EndResult()) {
                form.Close();
            }
        });
        EXPECT_EQ(result, ui::kResultOk);
        EXPECT_EQ(SessionContext.qq, technician_);
    }
}

TEST_F(LoginTest, InvisibleLoginIsPresenceTwo) {
    const int result = Run([&](ui::Form& form) {
        form.Click(CLogin::kInvisibleBox);
        Attempt(form, technician_, "123456");
    });
    ASSERT_EQ(result, ui::kResultOk);
    EXPECT_EQ(SessionContext.online, "2");
    EXPECT_EQ(CentralRows("select online from zsv_quser where qq = " + technician_, {"online"}),
              std::vector<std::string>{"2"});
    const auto row = LocalRow(technician_);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[4], "1") << "hide is remembered";
}

TEST_F(LoginTest, APasswordWithAQuoteLogsIn) {
    const std::string quoted = AddAccount("客服乙", "2", "it's");
    ASSERT_EQ(Run([&](ui::Form& form) { Attempt(form, quoted, "it's"); }), ui::kResultOk);
    // Stored rotated, and shown again at the next start when remembered.
    EXPECT_EQ((*LocalRow(quoted))[2], "sit'");
}

struct RememberCase {
    bool remember;
    std::string shown_next_time;
};

TEST_F(LoginTest, ThePasswordIsStoredRotatedAndShownOnlyWhenRemembered) {
    for (const RememberCase& c : {RememberCase{false, ""}, RememberCase{true, "123456"}}) {
        SCOPED_TRACE(c.remember ? "remembered" : "not remembered");
        ASSERT_EQ(Run([&](ui::Form& form) {
                      form.SetChecked(CLogin::kRememberBox, c.remember);
                      Attempt(form, technician_, "123456");
                  }),
                  ui::kResultOk);
        const auto row = LocalRow(technician_);
        ASSERT_TRUE(row);
        EXPECT_EQ((*row)[2], "612345");
        EXPECT_EQ((*row)[3], c.remember ? "1" : "0");

        // The next start shows the last account, and the password only when remembered.
        std::string account, password;
        bool remember_box = !c.remember;
        Run([&](ui::Form& form) {
            account = form.Text(CLogin::kAccount);
            password = form.Text(CLogin::kPassword);
            remember_box = form.Checked(CLogin::kRememberBox);
            form.Close();
        });
        EXPECT_EQ(account, technician_);
        EXPECT_EQ(password, c.shown_next_time);
        EXPECT_EQ(remember_box, c.remember);
    }
}

TEST_F(LoginTest, ChoosingAnAccountFillsWhatThisComputerRemembers) {
    const std::string other = AddAccount("保管员丙", "5", "abc");
    LocalExecute("insert into login (qq,passwordd,remember,hide) values (" + technician_ +
                 ",'612345','1','1')");
    LocalExecute("insert into login (qq,passwordd,remember,hide) values (" + other +
                 ",'cab','0','0')");
    Run([&](ui::Form& form) {
        ASSERT_EQ(form.ItemCount(CLogin::kAccount), 2);
        const int mine = form.FindItem(CLogin::kAccount, technician_);
        form.Choose(CLogin::kAccount, mine);
        EXPECT_EQ(form.Text(CLogin::kAccount), technician_);
        EXPECT_EQ(form.Text(CLogin::kPassword), "123456");
        EXPECT_TRUE(form.Checked(CLogin::kRememberBox));
        EXPECT_TRUE(form.Checked(CLogin::kInvisibleBox));
        form.Choose(CLogin::kAccount, form.FindItem(CLogin::kAccount, other));
        EXPECT_EQ(form.Text(CLogin::kPassword), "");
        EXPECT_FALSE(form.Checked(CLogin::kRememberBox));
        EXPECT_FALSE(form.Checked(CLogin::kInvisibleBox));
        form.Close();
    });
}

TEST_F(LoginTest, TheLastAccountIsFoundByItsWholeNumber) {
    // "1000" must not pick "10001", whose number begins with it.
    LocalExecute("insert into login (qq,passwordd,remember) values (10001,'x9999','1')");
    LocalExecute("insert into login (qq,passwordd,remember) values (1000,'x1000','1')");
    LocalExecute("update about set lastqq = '1000'");
    Run([&](ui::Form& form) {
        EXPECT_EQ(form.Text(CLogin::kAccount), "1000");
        EXPECT_EQ(form.Text(CLogin::kPassword), "1000x");
        form.Close();
    });
}

// --- forgetting, quitting, closing ---

TEST_F(LoginTest, ForgetAccountLeavesNoLastAccount) {
    ASSERT_EQ(Run([&](ui::Form& form) { Attempt(form, technician_, "123456"); }), ui::kResultOk);
    LocalExecute("insert into dialog (source) values (" + technician_ + ")");

    shell_.Answer(ui::Answer::No);
    shell_.Answer(ui::Answer::Yes);
    Run([&](ui::Form& form) {
        form.Click(CLogin::kForget);  // answered No: nothing changes
        EXPECT_EQ(form.Text(CLogin::kAccount), technician_);
        form.Click(CLogin::kForget);
        EXPECT_EQ(form.Text(CLogin::kAccount), "");
        EXPECT_EQ(form.Text(CLogin::kPassword), "");
        EXPECT_EQ(form.ItemCount(CLogin::kAccount), 0);
        form.Close();
    });
    ASSERT_EQ(shell_.messages().size(), 2u);
    EXPECT_EQ(shell_.messages()[1].text, "提示：您确实要删除联系人号码 [" + technician_ + "] 吗");
    EXPECT_EQ(shell_.messages()[1].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(LastAccount(), "");
    EXPECT_FALSE(LocalRow(technician_));
    EXPECT_TRUE(LocalRows("select source from dialog", {"source"}).empty());

    Run([&](ui::Form& form) {
        EXPECT_EQ(form.Text(CLogin::kAccount), "") << "the next start shows no account";
        form.Close();
    });
}

TEST_F(LoginTest, ForgetAccountDeletesOnlyAnAccountNumber) {
    LocalExecute("insert into login (qq,passwordd) values (" + technician_ + ",'x')");
    shell_.Answer(ui::Answer::Yes);
    Run([&](ui::Form& form) {
        form.Type(CLogin::kAccount, "1 or 1=1");
        form.Click(CLogin::kForget);
        form.Close();
    });
    EXPECT_TRUE(LocalRow(technician_)) << "typed text must not widen the delete";
    EXPECT_EQ(LastAccount(), "");

    // An empty account asks nothing.
    shell_.ClearMessages();
    Run([&](ui::Form& form) {
        form.Type(CLogin::kAccount, "");
        form.Click(CLogin::kForget);
        form.Close();
    });
    EXPECT_TRUE(shell_.messages().empty());
}

TEST_F(LoginTest, QuitEndsTheProcessAndCloseCancels) {
    try {
        Run([](ui::Form& form) { form.Click(CLogin::kQuit); });
        FAIL() << "quit did not end the process";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, -1);
    }
    EXPECT_EQ(Run([](ui::Form& form) {
                  EXPECT_TRUE(CentralDb.IsOpen());
                  form.Close();
              }),
              ui::kResultCancel);
    EXPECT_FALSE(CentralDb.IsOpen());
}

TEST_F(LoginTest, TheLinksDoNothingYet) {
    Run([](ui::Form& form) {
        form.Click(CLogin::kRegister);
        form.Click(CLogin::kRecover);
        EXPECT_FALSE(form.EndResult());
        form.Close();
    });
    EXPECT_TRUE(shell_.messages().empty());
    EXPECT_EQ(shell_.modal_runs(), std::vector<std::string>{"login"});
}

}  // namespace
