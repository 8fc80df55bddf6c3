// Feeds arbitrary bytes to the whole receive path of a client and to the relay: the datagram
// cut to its text as the socket does, the receive thread's link codes, the user-interface
// thread's dispatch (with the message button emptying the notice queue now and then), and the
// relay's handling of the same text. The stores are real (a fresh data directory), so the texts
// that read or write the central database do so. Nothing goes on the network: the client has no
// socket open, the link replies and the relay's socket go nowhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/cadoex.h"
#include "db/installation.h"
#include "db/stores.h"
#include "net/contact_table.h"
#include "net/dispatcher.h"
#include "net/link_probe.h"
#include "net/relay_service.h"
#include "net/udp_socket.h"
#include "session/session_context.h"

namespace {

struct QuietFrame : net::MainFrame {
    void CloseForOtherLogin() override {}
    void ShowDrawList() override {}
    void ShowWorkOrderParts() override {}
    void AnswerContactRequest(const net::WireText& request) override { (void)request.Field(1, 9); }
    void FlipMessageButton() override {}
    void Redraw() override {}
};

struct QuietTree : net::ContactsTree {
    void AddContactItem(int, const std::string&, int, const std::string&, long long) override {}
    void SetContactIcon(long long, int) override {}
    std::vector<long long> ContactItemAccounts() const override { return {}; }
};

struct QuietChats : net::ChatWindows {
    bool AppendIncoming(const std::string&, int, const std::string& line) override {
        return line.size() % 2 == 0;
    }
};

class Harness {
  public:
    Harness() {
        char pattern[] = "/tmp/qitai-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::abort();
        }
        home_ = pattern;
        setenv("QITAI_HOME", home_.c_str(), 1);
        db::ReloadInstallation();
        SessionContext.CurrentIp = "127.0.0.1";
        std::string error;
        std::string password;
        if (db::CreateLocalStore("127.0.0.1", true, error) == db::CreateResult::Failed ||
            db::CreateCentralStore(true, error) == db::CreateResult::Failed ||
            !db::InitCentralData(db::CentralSettings{}, password, error)) {
            std::abort();
        }
        SessionContext.qq = "100001";
        SessionContext.name = "fuzz";
        SessionContext.online = "1";
        SessionContext.u_kind = "4";
    }
    ~Harness() {
        CentralDb.Close();
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    void Run(const std::string& datagram) {
        if (datagram.size() > net::kMaxDatagram) {
            return;  // the socket drops it
        }
        SeedContacts();
        const net::WireText text(net::TextOfDatagram(datagram));
        net::HandleLinkCode(text, source_, SessionContext.qq, ContactTable,
                            [](std::string_view, const net::Address&) {});
        dispatcher_.OnDatagram(text);
        if (dispatcher_.NoticeQueue().size() > 32) {
            dispatcher_.ConsumeNoticeQueue();
        }
        if (SessionContext.pendingChats.size() > 4096) {
            SessionContext.pendingChats.clear();
        }
        relay_.Handle(text, source_, no_socket_);
    }

  private:
    static void SeedContacts() {
        ContactTable.Clear();
        const char* accounts[] = {"10002", "100000", "0", "10002"};
        for (int i = 0; i < 4; ++i) {
            ContactTable.SetQq(i, accounts[i]);
            ContactTable.SetLinked(i, "0");
            ContactTable.SetLastIp(i, "127.0.0.1");
            ContactTable.SetLastPort(i, "9");
            ContactTable.Entry(i).pic = std::to_string(i);
            ContactTable.Entry(i).online = "1";
        }
    }

    std::filesystem::path home_;
    QuietFrame frame_;
    QuietTree tree_;
    QuietChats chats_;
    net::Dispatcher dispatcher_{frame_, tree_, chats_};
    net::RelayService relay_{[](const std::string&) {}};
    const net::UdpSocket no_socket_;
    const net::Address source_{"127.0.0.1", 40000};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness harness;
    harness.Run(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
