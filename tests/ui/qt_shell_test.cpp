// The Qt shell's own services, and the console shell the tools run with.
#include "ui/qt/qt_shell.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QThread>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

#include "support/qt_app.h"
#include "support/temp_home.h"
#include "ui/shell.h"

extern char** environ;

namespace {

// Runs the event loop until `done` says so; a bounded number of rounds, never a clock.
template <typename Done>
bool ProcessEventsUntil(Done done) {
    for (int round = 0; round < 100000 && !done(); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class QtShellTest : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::EnsureQtApplication(); }
    ui::qt::QtShell shell_;
};

TEST_F(QtShellTest, PostedWorkRunsOnTheInterfaceThreadInPostingOrder) {
    constexpr int kPerThread = 200;
    std::vector<std::pair<int, int>> ran;  // (thread, sequence), touched on this thread only
    bool all_on_this_thread = true;
    QThread* const interface_thread = QThread::currentThread();
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                shell_.Post([&, t, i] {
                    all_on_this_thread &= QThread::currentThread() == interface_thread;
                    ran.emplace_back(t, i);
                });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(ProcessEventsUntil([&] { return ran.size() == 2 * kPerThread; }));
    EXPECT_TRUE(all_on_this_thread);
    std::vector<int> next(2, 0);
    for (const auto& [t, i] : ran) {
        EXPECT_EQ(i, next[static_cast<std::size_t>(t)]++) << "thread " << t;
    }
}

TEST_F(QtShellTest, ATickMayKillOrReplaceItsOwnTimer) {
    int once = 0;
    shell_.SetTimer(1001, 0, [&] {
        ++once;
        shell_.KillTimer(1001);
    });
    int replaced = 0;
    int replacement = 0;
    shell_.SetTimer(22, 0, [&] {
        ++replaced;
        shell_.SetTimer(22, 0, [&] {
            ++replacement;
            if (replacement == 3) {
                shell_.KillTimer(22);
            }
        });
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return once == 1 && replacement == 3; }));
    for (int round = 0; round < 20; ++round) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(once, 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(replacement, 3);
}

TEST_F(QtShellTest, ClipboardHoldsThePlainText) {
    ASSERT_TRUE(shell_.SetClipboardText("select * from zsv_order where WorkOrder = '2601'"));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "select * from zsv_order where WorkOrder = '2601'");
}

TEST_F(QtShellTest, WindowsComeFromTheBuiltInTemplates) {
    std::unique_ptr<ui::Form> form = shell_.CreateForm("login");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->TemplateName(), "login");
    EXPECT_FALSE(form->IsWindowShown());
    EXPECT_EQ(shell_.FindWindow(form->Title()), form.get());
}

// Claims `name` in a new process of this test program (ProcessLockChild below) and tells
// whether that process got it.
bool ClaimedByAnotherProcess(const std::string& name) {
    setenv("QITAI_LOCK_CHILD", name.c_str(), 1);
    std::string program = "/proc/self/exe";
    std::string filter = "--gtest_filter=ProcessLockChild.Claim";
    char* argv[] = {program.data(), filter.data(), nullptr};
    pid_t child = 0;
    const int rc = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
    unsetenv("QITAI_LOCK_CHILD");
    EXPECT_EQ(rc, 0);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "the child could not try";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ProcessLockChild, Claim) {
    const char* name = std::getenv("QITAI_LOCK_CHILD");
    if (name == nullptr) {
        GTEST_SKIP() << "runs only as the other process of the ProcessLock tests";
    }
    _exit(ui::HoldProcessLock(name) ? 0 : 1);
}

TEST(ProcessLock, OneProcessPerName) {
    testing_support::TempHome home;
    const std::string mine = "启泰维修管理系统_测试店_王经理 [岗位：经理]";
    ASSERT_TRUE(ui::HoldProcessLock(mine));
    EXPECT_TRUE(ui::HoldProcessLock(mine)) << "the holder may claim again";
    EXPECT_FALSE(ClaimedByAnotherProcess(mine));
    EXPECT_TRUE(ClaimedByAnotherProcess(mine + "2"));
}

TEST(ProcessLock, LongTitlesStayDistinct) {
    testing_support::TempHome home;
    const std::string shop(120, 'x');
    ASSERT_TRUE(ui::HoldProcessLock(shop + "_a"));
    EXPECT_TRUE(ClaimedByAnotherProcess(shop + "_b"));
    EXPECT_FALSE(ClaimedByAnotherProcess(shop + "_a"));
}

TEST(ConsoleShellDeathTest, WindowsEndTheProcessWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ui::SetCurrentShell(nullptr);
    EXPECT_EXIT(ui::CurrentShell().CreateForm("login"), ::testing::ExitedWithCode(255),
                "no window system");
}

}  // namespace
