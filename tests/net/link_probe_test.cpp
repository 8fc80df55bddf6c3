#include "net/link_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "net_fixture.h"

namespace {

using net_testing::NetTest;
using testing_support::UdpPeer;

// The receive thread's own answers, through a real socket. After a text, a peer sends a marker
// text that no code matches; once the marker has been handed to the user-interface thread, the
// receive thread has finished with the text before it and its answers are on their way.
class LinkProbeTest : public NetTest {
  protected:
    void SetUp() override {
        NetTest::SetUp();
        StartEndpoint([this](const net::WireText& text) { posted_.push_back(text.bytes()); });
    }

    // Everything `peer` received up to the marker's hand-off.
    std::vector<std::string> ReceivedBeforeSentinel(const UdpPeer& peer) {
        const std::string marker = "marker " + std::to_string(++markers_);
        peer.SendText(marker, EndpointAddress());
        for (int attempt = 0; attempt < 5000; ++attempt) {
            shell_.Pump();
            if (!posted_.empty() && posted_.back() == marker) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(posted_.back(), marker);
        // Loopback delivery may lag the send by a moment under load: allow for it.
        std::vector<std::string> got;
        while (const auto datagram = peer.Receive(50)) {
            got.push_back(datagram->bytes);
        }
        return got;
    }

    std::vector<std::string> posted_;
    int markers_ = 0;
};

using testing_support::Nul;

struct LinkCase {
    const char* name;
    std::string text;  // {target} is replaced by the second peer's port
    std::vector<std::string> replies_to_sender;
    std::vector<std::string> replies_to_target;
    bool learns_address;  // entry 0 gets the sender's address and becomes linked
    bool learns_port;     // entry 0 gets only the sender's port
};

TEST_F(LinkProbeTest, LinkCodesAreAnsweredOnTheReceiveThread) {
    const UdpPeer sender;
    const UdpPeer target;
    const std::string target_field =
        net::PadRight("127.0.0.1", 15) + net::PadRight(std::to_string(target.port()), 5);
    const std::vector<LinkCase> cases = {
        {"bClient from a contact", "bClient10002    ", {Nul("d10001    ")}, {}, true, false},
        {"bClient without padding", "bClient10002", {Nul("d10001    ")}, {}, true, false},
        {"bClient from a stranger", "bClient55555    ", {Nul("d10001    ")}, {}, false, false},
        {"d from a contact", "d10002    ", {Nul("e10001    ")}, {}, true, false},
        {"d from a stranger", "d55555    ", {Nul("e10001    ")}, {}, false, false},
        {"e from a contact", "e10002    ", {}, {}, true, false},
        {"90 from a contact", "9010002    ", {}, {}, false, true},
        {"91 with an address field", "9110002    10.0.0.9", {}, {}, false, true},
        {"c with 23 characters",
         "c" + target_field + "10002    ",
         {},
         {Nul("bClient10001    ")},
         false,
         false},
        {"c with exactly 22 characters", "c" + target_field + "1", {}, {}, false, false},
        {"c with a bad port",
         "c" + net::PadRight("127.0.0.1", 15) + "0    10002",
         {},
         {},
         false,
         false},
        {"bS is ignored", "bServer10002    ", {}, {}, false, false},
        {"chat is not a link code", "010002    hello", {}, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContactTable.Clear();
        next_entry_ = 0;
        AddContact({.qq = "10002", .name = "张三", .lastip = "10.9.9.9", .lastport = "999"});

        sender.SendText(c.text, EndpointAddress());
        EXPECT_EQ(ReceivedBeforeSentinel(sender), c.replies_to_sender);
        EXPECT_EQ(ReceivedBeforeSentinel(target), c.replies_to_target);

        const net::LinkFields link = ContactTable.Link(0);
        if (c.learns_address) {
            EXPECT_EQ(link.lastip, "127.0.0.1");
            EXPECT_EQ(link.lastport, std::to_string(sender.port()));
            EXPECT_EQ(link.linked, "1");
        } else if (c.learns_port) {
            EXPECT_EQ(link.lastip, "10.9.9.9");
            EXPECT_EQ(link.lastport, std::to_string(sender.port()));
            EXPECT_EQ(link.linked, "0");
        } else {
            EXPECT_EQ(link.lastip, "10.9.9.9");
            EXPECT_EQ(link.lastport, "999");
            EXPECT_EQ(link.linked, "0");
        }
        // Free entries never take an address from a link text.
        EXPECT_EQ(ContactTable.Link(1).lastip, "");
    }
}

TEST_F(LinkProbeTest, EveryEntryOfTheNumberIsLinked) {
    AddContact({.qq = "10002"});
    AddContact({.qq = "10003"});
    AddContact({.qq = "010002"});
    const UdpPeer sender;
    sender.SendText("e10002", EndpointAddress());
    ReceivedBeforeSentinel(sender);
    EXPECT_EQ(ContactTable.Linked(0), "1");
    EXPECT_EQ(ContactTable.Linked(1), "0");
    EXPECT_EQ(ContactTable.Linked(2), "1");
    EXPECT_EQ(ContactTable.LastPort(2), std::to_string(sender.port()));
}

TEST_F(LinkProbeTest, TheHandshakeLinksBothClients) {
    // Client B is this endpoint (10001); client A is a peer that plays its part by hand.
    AddContact({.qq = "10002"});
    const UdpPeer a;
    a.SendText("bClient10002    ", EndpointAddress());
    const auto answer = a.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, Nul("d10001    "));
    EXPECT_EQ(ContactTable.Linked(0), "1");
    a.SendText("e10002    ", EndpointAddress());
    EXPECT_TRUE(ReceivedBeforeSentinel(a).empty());
    EXPECT_EQ(ContactTable.LastPort(0), std::to_string(a.port()));
}

}  // namespace
