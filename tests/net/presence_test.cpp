#include "net/presence.h"

#include <gtest/gtest.h>

#include "net_fixture.h"

namespace {

using net_testing::FakeTree;
using net_testing::NetTest;
using testing_support::UdpPeer;

using testing_support::Nul;
using testing_support::ReceivedBeforeMarker;

// Contacts on peers of their own, sends paced on the shell's virtual clock.
class PresenceTest : public NetTest {
  protected:
    void SetUp() override {
        NetTest::SetUp();
        net::StartUdpEndpoint();
    }

    int AddPeerContact(const std::string& qq, const UdpPeer& peer, const std::string& linked) {
        tree_.order.push_back(std::stoll(qq));
        return AddContact({.qq = qq,
                           .lastip = "127.0.0.1",
                           .lastport = std::to_string(peer.port()),
                           .linked = linked});
    }

    FakeTree tree_;
    net::PresenceSender presence_{tree_};
};

TEST_F(PresenceTest, BroadcastIsPacedOnTheTimerNotBySleeping) {
    const UdpPeer a, b, c;
    AddPeerContact("10002", a, "1");
    AddContact({.qq = "10003", .lastip = "127.0.0.1"});  // no port: skipped without a pause
    tree_.order.push_back(10003);
    AddPeerContact("10004", b, "1");
    AddPeerContact("10005", c, "0");

    presence_.Broadcast("91" + net::PadRight("10001", 9));
    // The first text goes at once; each later one waits 50 ms on the clock after the one before.
    EXPECT_EQ(ReceivedBeforeMarker(a), std::vector<std::string>{Nul("9110001    ")});
    EXPECT_TRUE(ReceivedBeforeMarker(b).empty());
    shell_.AdvanceTime(49);
    EXPECT_TRUE(ReceivedBeforeMarker(b).empty());
    shell_.AdvanceTime(1);
    EXPECT_EQ(ReceivedBeforeMarker(b), std::vector<std::string>{Nul("9110001    ")});
    EXPECT_TRUE(ReceivedBeforeMarker(c).empty());
    shell_.AdvanceTime(50);
    EXPECT_EQ(ReceivedBeforeMarker(c), std::vector<std::string>{Nul("9110001    ")});
    shell_.AdvanceTime(50);
    EXPECT_TRUE(presence_.pacer().Idle());
}

TEST_F(PresenceTest, ProbeGoesToUnlinkedContactsWithAnAddress) {
    const UdpPeer unlinked, linked, unloaded, no_port;
    AddPeerContact("10002", unlinked, "0");
    AddPeerContact("10003", linked, "1");
    AddPeerContact("10004", unloaded, "");  // never loaded as a contact: not probed
    const int half = AddPeerContact("10005", no_port, "0");
    ContactTable.SetLastPort(half, "");

    SessionContext.online = "1";
    presence_.ProbeAndAnnounce();
    // One probe was sent (100 ms after it), then the broadcast goes to every reachable item.
    shell_.AdvanceTime(100 + 3 * 50);
    EXPECT_EQ(ReceivedBeforeMarker(unlinked),
              (std::vector<std::string>{Nul("d10001    "), Nul("9010001    ")}));
    EXPECT_EQ(ReceivedBeforeMarker(linked), std::vector<std::string>{Nul("9010001    ")});
    EXPECT_EQ(ReceivedBeforeMarker(unloaded), std::vector<std::string>{Nul("9010001    ")});
    EXPECT_TRUE(ReceivedBeforeMarker(no_port).empty());
    EXPECT_TRUE(presence_.pacer().Idle());
}

TEST_F(PresenceTest, RoundOverNinetyNineContactsKeepsThePacing) {
    const UdpPeer peer;  // every contact at the same peer, so the order shows on one socket
    for (int i = 0; i < net::kContactCount; ++i) {
        AddPeerContact(std::to_string(20000 + i), peer, "0");
    }
    SessionContext.online = "2";
    presence_.ProbeAndAnnounce();
    const long long round_ms = 99LL * 100 + 98LL * 50;  // the last text needs no pause before it
    shell_.AdvanceTime(round_ms - 1);
    std::vector<std::string> got = ReceivedBeforeMarker(peer);
    ASSERT_EQ(got.size(), 99u + 98u);
    EXPECT_EQ(got.front(), Nul("d10001    "));
    EXPECT_EQ(got[99], Nul("9110001    "));
    shell_.AdvanceTime(1);
    got = ReceivedBeforeMarker(peer);
    EXPECT_EQ(got, std::vector<std::string>{Nul("9110001    ")});
}

TEST_F(PresenceTest, LogoutSendsWhatIsQueuedThenNinetyTwo) {
    const UdpPeer a, b;
    AddPeerContact("10002", a, "1");
    AddPeerContact("10003", b, "1");
    const int ip_only = AddContact({.qq = "10004", .lastip = "127.0.0.1"});
    ASSERT_EQ(ip_only, 2);

    presence_.Broadcast("91" + net::PadRight("10001", 9));  // the close handling's broadcast
    presence_.SendLogoutNotices();                          // no clock advanced
    const std::string logout = Nul("92" + net::PadRight("10001", 19));
    EXPECT_EQ(ReceivedBeforeMarker(a), (std::vector<std::string>{Nul("9110001    "), logout}));
    EXPECT_EQ(ReceivedBeforeMarker(b), (std::vector<std::string>{Nul("9110001    "), logout}));
    EXPECT_TRUE(presence_.pacer().Idle());
    EXPECT_FALSE(shell_.HasTimer(net::SendPacer::kTimerId));
}

TEST(SendPacer, StepsRunInOrderAndSkippedStepsCostNoTime) {
    testing_support::ScriptedShell shell;
    std::vector<std::string> log;
    net::SendPacer pacer;
    pacer.Add([&] {
        log.push_back("a@" + std::to_string(shell.now_ms()));
        return 50;
    });
    pacer.Add([&] {
        log.push_back("skip@" + std::to_string(shell.now_ms()));
        return 0;
    });
    pacer.Add([&] {
        log.push_back("b@" + std::to_string(shell.now_ms()));
        return 100;
    });
    pacer.Add([&] {
        log.push_back("c@" + std::to_string(shell.now_ms()));
        return 50;
    });
    shell.AdvanceTime(1000);
    EXPECT_EQ(log, (std::vector<std::string>{"a@0", "skip@50", "b@50", "c@150"}));
    EXPECT_TRUE(pacer.Idle());

    // A step added during the last pause waits for it; one added later runs at once.
    pacer.Add([&] {
        log.push_back("d@" + std::to_string(shell.now_ms()));
        return 50;
    });
    pacer.Add([&] {
        log.push_back("e@" + std::to_string(shell.now_ms()));
        return 0;
    });
    shell.AdvanceTime(10);
    EXPECT_EQ(log.back(), "d@1000");
    shell.AdvanceTime(40);
    EXPECT_EQ(log.back(), "e@1050");
}

}  // namespace
