// One client process of the central database load test: it creates work orders as customer
// service does and leaves a notice for a logged-out technician after each, as fast as the
// database takes them, from a moment given so that several processes start together.
//
//   central_load_worker WORKER COUNT SENDER TARGET MANAGER START_MS
//
// WORKER names the process in the rows it writes ("load WORKER-i"); SENDER is the customer
// service account, TARGET the technician's, MANAGER the shop's; START_MS is the moment to begin,
// in milliseconds since the epoch. The data directory ($QITAI_HOME) holds the local store that
// names the central database. Prints one line with what it did and exits 0 when every order and
// every notice was stored, 1 otherwise.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/stores.h"
#include "net/contact_table.h"
#include "net/notice.h"
#include "session/session_context.h"
#include "workorder/work_order_number.h"
#include "workorder/work_order_store.h"

namespace {

struct Arguments {
    std::string worker;
    int count = 0;
    std::string sender;
    std::string target;
    std::string manager;
    long long start_ms = 0;
};

bool Parse(int argc, char** argv, Arguments& args) {
    if (argc != 7) {
        return false;
    }
    args.worker = argv[1];
    args.count = static_cast<int>(common::ToInt(argv[2]));
    args.sender = argv[3];
    args.target = argv[4];
    args.manager = argv[5];
    args.start_ms = common::ToInt(argv[6]);
    return common::IsDigits(args.worker) && args.count > 0 && common::IsDigits(args.sender) &&
           common::IsDigits(args.target) && common::IsDigits(args.manager);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!Parse(argc, argv, args)) {
        std::fprintf(stderr,
                     "usage: central_load_worker WORKER COUNT SENDER TARGET MANAGER START_MS\n");
        return 2;
    }
    // The session as the login leaves it for a customer service person; the technician is a
    // contact that is logged out, so each notice is stored for him.
    SessionContext.qq = args.sender;
    SessionContext.name = "客服" + args.worker;
    SessionContext.localIp = "127.0.0.1";
    SessionContext.CurrentIp = db::StoredServerAddress();
    ContactTable.SetQq(0, args.target);
    ContactTable.Entry(0).name = "技术员";
    ContactTable.Entry(0).online = session::kLoggedOut;

    std::this_thread::sleep_until(
        std::chrono::system_clock::time_point(std::chrono::milliseconds(args.start_ms)));
    const auto begin = std::chrono::steady_clock::now();
    int orders = 0;
    int notices = 0;
    int renumbered = 0;
    for (int i = 0; i < args.count; ++i) {
        const std::string tag = "load " + args.worker + "-" + std::to_string(i);
        workorder::NewWorkOrder order;
        order.number = workorder::NewWorkOrderNumber();
        order.client = "客户" + tag;
        order.sex = "男";
        order.phone = "13800000000";
        order.address = "文化路18号";
        order.bug = tag;
        order.service_name = SessionContext.name;
        order.service_id = args.sender;
        order.technician_name = "技术员";
        order.technician_id = args.target;
        order.serv_kind = "客户送修";
        order.manager_id = args.manager;
        std::string error;
        const std::string number = workorder::InsertWorkOrder(order, error);
        if (number.empty()) {
            std::fprintf(stderr, "worker %s: %s: %s\n", args.worker.c_str(), tag.c_str(),
                         error.c_str());
        } else {
            ++orders;
            renumbered += number != order.number ? 1 : 0;
        }
        CentralDb.Close();
        if (net::SendNotice("提示： 您有新的维修任务。 " + tag + " [系统自动发送]", args.target) ==
            net::Delivery::Stored) {
            ++notices;
        } else {
            std::fprintf(stderr, "worker %s: the notice of %s was not stored\n",
                         args.worker.c_str(), tag.c_str());
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("worker %s: orders %d notices %d renumbered %d seconds %.3f\n", args.worker.c_str(),
                orders, notices, renumbered, seconds);
    return orders == args.count && notices == args.count ? 0 : 1;
}
