// Several client processes on one central database at the same time: each creates work orders
// as customer service does and leaves a notice for a logged-out technician after each. Every
// row arrives exactly once and no work order number is used twice, on the server engine (its
// own locking) and on the embedded engine (one file, the busy time-out). The run prints its
// throughput.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "support/stores_fixture.h"
#include "workorder/work_order_number.h"

extern char** environ;

namespace {

constexpr int kWorkers = 4;
constexpr int kOrdersPerWorker = 250;

// One worker process, its standard output in a file; ended and reaped by the destructor if the
// test did not wait for it.
class WorkerProcess {
  public:
    WorkerProcess(const std::vector<std::string>& args, const std::string& output) {
        std::vector<std::string> storage{std::string(QITAI_WORKER_DIR) + "/central_load_worker"};
        storage.insert(storage.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : storage) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, storage[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~WorkerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The exit status; -1 when it did not exit normally.
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
};

std::string ReadFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class ConcurrentClientsTest : public testing_support::CentralEnginesTest {};

TEST_P(ConcurrentClientsTest, EveryOrderAndNoticeArrivesOnceUnderItsOwnNumber) {
    const std::string manager = AddManager("张伟");
    const std::string service = AddAccount("李娜", "2", "1", manager);
    const std::string technician = AddAccount("王强", "4", "1", manager);
    ASSERT_FALSE(HasFailure());

    // Every worker begins at the same moment, so that their first orders share one second.
    const auto start = std::chrono::system_clock::now() + std::chrono::milliseconds(500);
    const long long start_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(start.time_since_epoch()).count();
    std::vector<std::unique_ptr<WorkerProcess>> workers;
    std::vector<std::string> outputs;
    for (int k = 0; k < kWorkers; ++k) {
        outputs.push_back((home_.path() / ("worker" + std::to_string(k) + ".out")).string());
        workers.push_back(std::make_unique<WorkerProcess>(
            std::vector<std::string>{std::to_string(k), std::to_string(kOrdersPerWorker), service,
                                     technician, manager, std::to_string(start_ms)},
            outputs.back()));
        ASSERT_TRUE(workers.back()->Started());
    }
    for (int k = 0; k < kWorkers; ++k) {
        EXPECT_EQ(workers[static_cast<std::size_t>(k)]->Wait(), 0) << ReadFile(outputs[k]);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::system_clock::now() - start).count();

    std::vector<std::string> expected_bugs;
    std::vector<std::string> expected_notices;
    for (int k = 0; k < kWorkers; ++k) {
        for (int i = 0; i < kOrdersPerWorker; ++i) {
            const std::string tag = "load " + std::to_string(k) + "-" + std::to_string(i);
            expected_bugs.push_back(tag);
            expected_notices.push_back("提示： 您有新的维修任务。 " + tag + " [系统自动发送]");
        }
    }
    std::sort(expected_bugs.begin(), expected_bugs.end());
    std::sort(expected_notices.begin(), expected_notices.end());

    const std::vector<std::string> orders =
        CentralRows("select WorkOrder, Bug from zsv_order", {"WorkOrder", "Bug"});
    std::vector<std::string> bugs;
    std::set<std::string> numbers;
    for (const std::string& row : orders) {
        const std::string number = db::CADOEx::GetField(row, 1, db::kSeparator);
        EXPECT_TRUE(workorder::IsWorkOrderNumber(number)) << number;
        numbers.insert(number);
        bugs.push_back(db::CADOEx::GetField(row, 2, db::kSeparator));
    }
    std::sort(bugs.begin(), bugs.end());
    EXPECT_EQ(bugs, expected_bugs);
    EXPECT_EQ(numbers.size(), orders.size());

    std::vector<std::string> notices =
        CentralRows("select speak from zsv_dialog where affirm = 0 and source = " + service +
                        " and target = " + technician,
                    {"speak"});
    std::sort(notices.begin(), notices.end());
    EXPECT_EQ(notices, expected_notices);
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_dialog", {"n"}),
              std::vector<std::string>{std::to_string(expected_notices.size())});

    const std::size_t rows = orders.size() + notices.size();
    std::printf(
        "[ figures  ] %s: %d client processes wrote %zu work orders and %zu notices in "
        "%.2f s: %.0f rows/s\n",
        GetParam().name.c_str(), kWorkers, orders.size(), notices.size(), seconds,
        static_cast<double>(rows) / seconds);
    for (const std::string& output : outputs) {
        std::printf("[ figures  ]   %s", ReadFile(output).c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrentClientsTest,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
