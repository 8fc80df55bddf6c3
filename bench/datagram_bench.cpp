// Two figures of the messaging layer:
//  1. how many datagrams per second go from the socket through the receive thread's hand-off to
//     OnDatagram on the user-interface thread (presence and chat texts from a loopback peer);
//  2. the longest time the user-interface thread is kept busy by one piece of work while the
//     periodic round probes 99 contacts and broadcasts the presence to them. The pauses between
//     the sends are timer waits, not sleeps; the bench runs the timers in real time.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "net/contact_table.h"
#include "net/dispatcher.h"
#include "net/presence.h"
#include "net/udp_endpoint.h"
#include "session/session_context.h"
#include "support/scripted_shell.h"
#include "support/temp_home.h"
#include "support/udp_peer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct NoFrame : net::MainFrame {
    void CloseForOtherLogin() override {}
    void ShowDrawList() override {}
    void ShowWorkOrderParts() override {}
    void AnswerContactRequest(const net::WireText&) override {}
    void FlipMessageButton() override {}
    void Redraw() override {}
};

struct ListTree : net::ContactsTree {
    std::vector<long long> accounts;
    void AddContactItem(int, const std::string&, int, const std::string&, long long) override {}
    void SetContactIcon(long long, int) override {}
    std::vector<long long> ContactItemAccounts() const override { return accounts; }
};

struct VisibleChats : net::ChatWindows {
    bool AppendIncoming(const std::string&, int, const std::string&) override { return true; }
};

// The scripted shell, with every timer tick timed as user-interface work.
class TimedShell : public testing_support::ScriptedShell {
  public:
    void SetTimer(int id, int interval_ms, std::function<void()> tick) override {
        ScriptedShell::SetTimer(id, interval_ms, [this, tick] {
            const auto start = Clock::now();
            tick();
            Record(Clock::now() - start);
        });
    }
    void Record(Clock::duration busy) { longest = std::max(longest, busy); }
    Clock::duration longest{};
};

void FillContacts(const testing_support::UdpPeer& peer, ListTree& tree) {
    ContactTable.Clear();
    tree.accounts.clear();
    for (int i = 0; i < net::kContactCount; ++i) {
        const std::string qq = std::to_string(20000 + i);
        ContactTable.SetQq(i, qq);
        ContactTable.SetLastIp(i, "127.0.0.1");
        ContactTable.SetLastPort(i, std::to_string(peer.port()));
        ContactTable.SetLinked(i, "0");
        ContactTable.Entry(i).name = "联系人" + std::to_string(i);
        ContactTable.Entry(i).pic = "1";
        tree.accounts.push_back(20000 + i);
    }
}

void Throughput(TimedShell& shell, ListTree& tree) {
    NoFrame frame;
    VisibleChats chats;
    net::Dispatcher dispatcher(frame, tree, chats);
    std::atomic<long> dispatched{0};
    const auto handoff = dispatcher.Handoff();
    net::StartUdpEndpoint();
    net::StartReceiveThread([&](const net::WireText& text) {
        handoff(text);
        dispatched.fetch_add(1, std::memory_order_relaxed);
    });
    const net::Address to = testing_support::Loopback(net::ProcessEndpoint().LocalPort());

    constexpr long kTexts = 100000;
    constexpr long kInFlight = 128;  // stay below the receive buffer: no datagram is lost
    const testing_support::UdpPeer sender;
    const std::string presence = "91" + net::PadRight("20005", 9);
    const std::string chat = "0" + net::PadRight("20005", 9) + "bench chat text";
    const auto start = Clock::now();
    std::thread peer([&] {
        for (long sent = 0; sent < kTexts; ++sent) {
            while (sent - dispatched.load(std::memory_order_relaxed) >= kInFlight) {
                std::this_thread::yield();
            }
            sender.SendText(sent % 4 == 0 ? chat : presence, to);
        }
    });
    // This thread is the user-interface thread: it runs the posted hand-offs.
    for (long spins = 0; dispatched.load() < kTexts && spins < 200000000; ++spins) {
        if (shell.Pump() == 0) {
            std::this_thread::yield();
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    peer.join();
    net::StopUdpEndpoint();
    shell.Pump();
    std::printf("datagram_bench: %ld of %ld texts dispatched in %.3f s: %.0f datagrams/s\n",
                dispatched.load(), kTexts, seconds,
                static_cast<double>(dispatched.load()) / seconds);
}

void LongestBlock(TimedShell& shell, ListTree& tree, const testing_support::UdpPeer& peer) {
    net::StartUdpEndpoint();
    net::PresenceSender presence(tree);
    const auto start = Clock::now();
    presence.ProbeAndAnnounce();
    shell.Record(Clock::now() - start);
    // Run the pacer's timers in real time until the round is over.
    long long waited_ms = 0;
    for (int step = 0; step < 100000 && !presence.pacer().Idle(); ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        shell.AdvanceTime(1);
        ++waited_ms;
    }
    long received = 0;
    while (peer.Receive(20)) {
        ++received;
    }
    net::StopUdpEndpoint();
    std::printf(
        "datagram_bench: probe and presence round to 99 contacts: %ld texts over %lld ms on the "
        "wire; longest user-interface block %.3f ms (a sleeping round would block %d ms)\n",
        received, waited_ms, std::chrono::duration<double, std::milli>(shell.longest).count(),
        99 * net::kProbePauseMs + 99 * net::kBroadcastPauseMs);
}

}  // namespace

int main() {
    testing_support::TempHome home;
    TimedShell shell;
    SessionContext.qq = "10001";
    SessionContext.online = "1";
    const testing_support::UdpPeer contacts;
    ListTree tree;
    FillContacts(contacts, tree);
    Throughput(shell, tree);
    FillContacts(contacts, tree);
    LongestBlock(shell, tree, contacts);
    ContactTable.Clear();
    return 0;
}
