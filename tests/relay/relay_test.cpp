// The relay service as a separate process, with test peers playing the clients.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/gbk.h"
#include "net/contact_table.h"
#include "net/udp_endpoint.h"
#include "net/wire_text.h"
#include "relay_process.h"
#include "support/stores_fixture.h"
#include "support/udp_peer.h"

namespace {

using net::PadRight;
using relay_testing::RelayProcess;
using testing_support::Loopback;
using testing_support::UdpPeer;

using testing_support::Nul;

class RelayTest : public testing_support::StoresTest {
  protected:
    void SetUp() override {
        StoresTest::SetUp();
        port_server_ = testing_support::FreeUdpPort();
        do {
            default_port_ = testing_support::FreeUdpPort();
        } while (default_port_ == port_server_);
        CentralExecute("update zsv_about set Port_server = " + std::to_string(port_server_) +
                       " where id = 1");
        a_ = AddAccount("客服一", "2");
        b_ = AddAccount("王技术", "4");
        relay_ = std::make_unique<RelayProcess>(std::vector<std::string>{
            "--default-port", std::to_string(default_port_), "--bind", "127.0.0.1"});
        ASSERT_TRUE(relay_->WaitForLog("listening on 127.0.0.1:" + std::to_string(port_server_)));
        ASSERT_TRUE(relay_->WaitForLog("listening on 127.0.0.1:" + std::to_string(default_port_)));
    }

    void TearDown() override {
        if (relay_ && relay_->running()) {
            EXPECT_EQ(relay_->Stop(), 0);
            EXPECT_NE(relay_->lines().back().find("stopped"), std::string::npos);
        }
    }

    net::Address Relay() const { return Loopback(port_server_); }

    // "x" from a peer, and the relay's word that it was handled.
    void Register(const UdpPeer& peer, const std::string& account) {
        peer.SendText("x" + PadRight(account, 9), Relay());
        ASSERT_TRUE(
            relay_->WaitForLog("x " + account + " at 127.0.0.1:" + std::to_string(peer.port())));
    }

    std::vector<std::string> StoredAddress(const std::string& account) {
        return CentralRows("select lastip,lastport from zsv_quser where qq=" + account,
                           {"lastip", "lastport"});
    }

    std::string Address(const UdpPeer& peer) const {
        return std::string("127.0.0.1") + db::kSeparator + std::to_string(peer.port());
    }

    std::uint16_t port_server_ = 0;
    std::uint16_t default_port_ = 0;
    std::string a_;
    std::string b_;
    std::unique_ptr<RelayProcess> relay_;
};

TEST_F(RelayTest, RegistrationRecordsTheSourceAddress) {
    const UdpPeer a;
    const auto b_before = StoredAddress(b_);
    Register(a, a_);
    EXPECT_EQ(StoredAddress(a_), std::vector<std::string>{Address(a)});
    EXPECT_EQ(StoredAddress(b_), b_before);

    a.SendText("x999999999", Relay());
    EXPECT_TRUE(relay_->WaitForLog("x 999999999 at 127.0.0.1:" + std::to_string(a.port()) +
                                   ": no such account"));
}

TEST_F(RelayTest, RegistrationFromAnotherAddressTellsTheFirstClient) {
    const UdpPeer first;
    const UdpPeer second;
    Register(first, a_);
    Register(second, a_);
    const auto told = first.Receive();
    ASSERT_TRUE(told);
    EXPECT_EQ(told->bytes, Nul("v"));
    EXPECT_EQ(told->source.port, port_server_);
    EXPECT_EQ(StoredAddress(a_), std::vector<std::string>{Address(second)});

    // The same client registering again is not told anything.
    Register(second, a_);
    EXPECT_FALSE(second.Receive(100));
}

TEST_F(RelayTest, ConnectRequestSendsBothClientsTheOthersAddress) {
    const UdpPeer a;
    const UdpPeer b;
    Register(a, a_);
    Register(b, b_);
    a.SendText("a" + PadRight(b_, 9) + PadRight(a_, 9), Relay());

    const auto to_a = a.Receive();
    const auto to_b = b.Receive();
    ASSERT_TRUE(to_a);
    ASSERT_TRUE(to_b);
    EXPECT_EQ(to_a->bytes, Nul("c" + PadRight("127.0.0.1", 15) +
                               PadRight(std::to_string(b.port()), 5) + PadRight(b_, 9)));
    EXPECT_EQ(to_b->bytes, Nul("c" + PadRight("127.0.0.1", 15) +
                               PadRight(std::to_string(a.port()), 5) + PadRight(a_, 9)));
}

TEST_F(RelayTest, ConnectRequestForAnAbsentContactSendsNothing) {
    const UdpPeer a;
    Register(a, a_);
    a.SendText("a" + PadRight(b_, 9) + PadRight(a_, 9), Relay());
    EXPECT_TRUE(relay_->WaitForLog(b_ + " has no address"));
    EXPECT_FALSE(a.Receive(100));
}

TEST_F(RelayTest, ForwardedPayloadArrivesAsATextOfItsOwn) {
    const UdpPeer sender;
    const UdpPeer receiver;
    const std::string payload = "0^" + PadRight(a_, 9) + common::Utf8ToGbk("主板已换好，请取机。");
    sender.SendText(
        "w" + PadRight("127.0.0.1", 15) + PadRight(std::to_string(receiver.port()), 5) + payload,
        Relay());
    const auto got = receiver.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes, Nul(payload));
    EXPECT_EQ(got->source.port, port_server_);
}

TEST_F(RelayTest, MalformedTextsAreLoggedAndTheServiceGoesOn) {
    const UdpPeer peer;
    const std::vector<std::string> texts = {
        "x",
        "x12ab",
        "x' or 1=1 --",
        "a1",
        "a" + PadRight(b_, 9) + "zzz",
        "w",
        "w999.0.0.1      4000 payload",
        "w127.0.0.1      0    payload",
        "w127.0.0.1      99999payload",
        "\xFF\xFE\x81",
        std::string(1999, 'w'),
        "",
        "ok 888",
    };
    for (const auto& text : texts) {
        peer.SendText(text, Relay());
    }
    peer.SendRaw(std::string(3000, 'x'), Relay());  // longer than any text: dropped
    peer.SendText("ok 888", Loopback(default_port_));
    ASSERT_TRUE(relay_->WaitForLog("ok 888 from 127.0.0.1:" + std::to_string(peer.port())));
    ASSERT_TRUE(relay_->WaitForLog("ok 888 from 127.0.0.1:" + std::to_string(peer.port())));
    // Still serving.
    Register(peer, a_);
    EXPECT_EQ(StoredAddress(a_), std::vector<std::string>{Address(peer)});
    EXPECT_FALSE(peer.Receive(100));  // none of those texts was answered
}

TEST_F(RelayTest, UnreachableDatabaseCostsOnlyTheTextAtHand) {
    const std::filesystem::path file = home_.path() / "ZSV.db";
    const std::filesystem::path away = home_.path() / "ZSV.away";
    std::filesystem::rename(file, away);
    const UdpPeer a;
    const UdpPeer b;
    a.SendText("x" + PadRight(a_, 9), Relay());
    EXPECT_TRUE(relay_->WaitForLog("x " + a_ + " at 127.0.0.1:" + std::to_string(a.port()) +
                                   ": not recorded"));
    // Forwarding needs no database and goes on.
    a.SendText("w" + PadRight("127.0.0.1", 15) + PadRight(std::to_string(b.port()), 5) + "0^x",
               Relay());
    const auto got = b.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes, Nul("0^x"));
    std::filesystem::rename(away, file);
    Register(a, a_);
    EXPECT_EQ(StoredAddress(a_), std::vector<std::string>{Address(a)});
}

// Two clients' endpoints that do not know each other's address meet through the relay: "x"
// from both, "a" from one, "c" to both, then the handshake on the receive threads.
TEST_F(RelayTest, TwoClientsLinkThroughTheRelay) {
    net::Contacts table_a;
    net::Contacts table_b;
    table_a.SetQq(0, b_);
    table_a.SetLinked(0, "0");
    table_b.SetQq(0, a_);
    table_b.SetLinked(0, "0");
    net::UdpEndpoint client_a;
    net::UdpEndpoint client_b;
    ASSERT_TRUE(client_a.Open(0));
    ASSERT_TRUE(client_b.Open(0));
    ASSERT_TRUE(client_a.StartReceiving(a_, table_a, [](const net::WireText&) {}));
    ASSERT_TRUE(client_b.StartReceiving(b_, table_b, [](const net::WireText&) {}));

    client_a.Send("x" + PadRight(a_, 9), Relay());
    ASSERT_TRUE(relay_->WaitForLog("x " + a_));
    client_b.Send("x" + PadRight(b_, 9), Relay());
    ASSERT_TRUE(relay_->WaitForLog("x " + b_));
    client_a.Send("a" + PadRight(b_, 9) + PadRight(a_, 9), Relay());

    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (table_a.Linked(0) == "1" && table_b.Linked(0) == "1") {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(table_a.Link(0).linked, "1");
    EXPECT_EQ(table_a.Link(0).lastport, std::to_string(client_b.LocalPort()));
    EXPECT_EQ(table_b.Link(0).linked, "1");
    EXPECT_EQ(table_b.Link(0).lastport, std::to_string(client_a.LocalPort()));
    client_a.Close();
    client_b.Close();
    shell_.Pump();
}

}  // namespace
