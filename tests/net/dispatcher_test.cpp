#include "net/dispatcher.h"

#include <gtest/gtest.h>

#include <regex>

#include "common/gbk.h"
#include "net/chat_line.h"
#include "net_fixture.h"

namespace {

using net::WireText;
using net_testing::FakeChats;
using net_testing::FakeFrame;
using net_testing::FakeTree;
using net_testing::NetTest;
using testing_support::UdpPeer;

WireText Wire(const std::string& utf8) {
    return WireText::FromUtf8(utf8);
}

using testing_support::Nul;
using testing_support::ReceivedBeforeMarker;

class DispatcherTest : public NetTest {
  protected:
    void SetUp() override {
        NetTest::SetUp();
        net::StartUdpEndpoint();  // for the answers the dispatcher sends
    }

    FakeFrame frame_;
    FakeTree tree_;
    FakeChats chats_;
    net::Dispatcher dispatcher_{frame_, tree_, chats_};
};

struct PresenceCase {
    const char* name;
    std::string text;
    bool known;  // the text names a contact
    std::string online;
    int image;
    std::string lastip;
    std::string linked;
};

TEST_F(DispatcherTest, PresenceTextsSetIconOnlineAndAddress) {
    const std::string account = net::PadRight("10002", 9);
    const std::vector<PresenceCase> cases = {
        {"online", "90" + account, true, "1", 4, "10.0.0.5", "1"},
        {"online with address", "90" + account + "192.168.1.30", true, "1", 4, "192.168.1.30", "1"},
        {"invisible", "91" + account, true, "2", 6, "10.0.0.5", "1"},
        {"invisible with address", "91" + account + net::PadRight("192.168.1.31", 15), true, "2", 6,
         "192.168.1.31", "1"},
        {"invisible, blank address field", "91" + account + "   ", true, "2", 6, "", "1"},
        {"logged out", "92" + net::PadRight("10002", 19), true, "3", 6, "10.0.0.5", "0"},
        {"unpadded account", "9010002", true, "1", 4, "10.0.0.5", "1"},
        {"not a contact", "90" + net::PadRight("55555", 9) + "192.168.1.30", false, "2", 0,
         "10.0.0.5", "1"},
        {"no account at all", "90", false, "2", 0, "10.0.0.5", "1"},
        {"961 is no 90", "961" + account, true, "1", 4, "", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContactTable.Clear();
        next_entry_ = 0;
        tree_.icons.clear();
        AddContact({.qq = "10002",
                    .name = "张三",
                    .online = "2",
                    .lastip = "10.0.0.5",
                    .lastport = "4000",
                    .linked = "1",
                    .pic = "4"});
        dispatcher_.OnDatagram(Wire(c.text));
        const net::ContactEntry& entry = ContactTable.Entry(0);
        EXPECT_EQ(entry.online, c.online);
        EXPECT_EQ(ContactTable.LastIp(0), c.lastip);
        EXPECT_EQ(ContactTable.Linked(0), c.linked);
        EXPECT_EQ(ContactTable.LastPort(0), "4000");
        if (c.known) {
            ASSERT_EQ(tree_.icons.size(), 1u);
            EXPECT_EQ(tree_.icons[0], std::make_pair(10002LL, c.image));
        } else {
            EXPECT_TRUE(tree_.icons.empty());
        }
        // A free entry is never taken for a contact.
        EXPECT_EQ(ContactTable.Entry(1).online, "");
    }
}

struct GreetingCase {
    const char* name;
    std::string own_presence;
    std::string code;
    std::string lastport;
    std::string online;
    int image;
    std::vector<std::string> answers;
};

TEST_F(DispatcherTest, ChatGreetingIsAnsweredWithOwnPresence) {
    const UdpPeer peer;
    const std::string port = std::to_string(peer.port());
    const std::vector<GreetingCase> cases = {
        {"961 while online", "1", "961", port, "1", 3, {Nul("9010001    ")}},
        {"962 while online", "1", "962", port, "2", 5, {Nul("9010001    ")}},
        {"961 while invisible", "2", "961", port, "1", 3, {Nul("9110001    ")}},
        // Without a port the address is incomplete: no answer goes to port 0.
        {"961 to a contact without port", "1", "961", "", "1", 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContactTable.Clear();
        next_entry_ = 0;
        tree_.icons.clear();
        SessionContext.online = c.own_presence;
        AddContact({.qq = "10002", .online = "3", .lastport = c.lastport, .pic = "3"});
        dispatcher_.OnDatagram(
            Wire(c.code + net::PadRight("10002", 9) + net::PadRight("127.0.0.1", 15)));
        EXPECT_EQ(ContactTable.Entry(0).online, c.online);
        EXPECT_EQ(ContactTable.LastIp(0), "127.0.0.1");
        ASSERT_EQ(tree_.icons.size(), 1u);
        EXPECT_EQ(tree_.icons[0].second, c.image);
        EXPECT_EQ(ReceivedBeforeMarker(peer), c.answers);
    }
}

TEST_F(DispatcherTest, GreetingFromAStrangerChangesNothing) {
    const UdpPeer peer;
    AddContact({.qq = "10002", .online = "3"});
    dispatcher_.OnDatagram(Wire("96155555    127.0.0.1"));
    EXPECT_EQ(ContactTable.Entry(0).online, "3");
    EXPECT_TRUE(tree_.icons.empty());
    EXPECT_EQ(ContactTable.LastIp(0), "");
}

TEST_F(DispatcherTest, ChatTextGoesToTheSendersWindow) {
    AddContact({.qq = "10002", .name = "张三", .pic = "1"});
    SessionContext.soundOn = 1;
    dispatcher_.OnDatagram(Wire("0" + net::PadRight("10002", 9) + "你好，主板换好了"));

    ASSERT_EQ(chats_.lines.size(), 1u);
    EXPECT_EQ(chats_.lines[0].account, "10002");
    EXPECT_EQ(chats_.lines[0].index, 0);
    const std::regex line(
        "张三\\(10002\\) [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}\r\n  你好，主板换好了\r\n");
    EXPECT_TRUE(std::regex_match(chats_.lines[0].line, line)) << chats_.lines[0].line;
    // The window was hidden: the contact blinks and the text waits in pendingChats.
    ASSERT_EQ(tree_.icons.size(), 1u);
    EXPECT_EQ(tree_.icons[0], std::make_pair(10002LL, net::kUnreadImage));
    EXPECT_EQ(SessionContext.pendingChats, "*10002.");
    EXPECT_EQ(frame_.redraws, 1);
    EXPECT_EQ(shell_.sounds, std::vector<std::string>{"IDR_MSG"});

    // A second text from the same sender is noted once; another sender is appended.
    AddContact({.qq = "10003", .name = "李四"});
    dispatcher_.OnDatagram(Wire("010002    again"));
    dispatcher_.OnDatagram(Wire("010003    hi"));
    EXPECT_EQ(SessionContext.pendingChats, "*10002.*10003.");

    // A visible window takes the text without any mark.
    chats_.visible = true;
    tree_.icons.clear();
    SessionContext.pendingChats.clear();
    dispatcher_.OnDatagram(Wire("010002    seen"));
    EXPECT_TRUE(tree_.icons.empty());
    EXPECT_EQ(SessionContext.pendingChats, "");
}

TEST_F(DispatcherTest, ChatTextPicksTheLastEntryAndKeepsStrangersText) {
    AddContact({.qq = "10002", .name = "first"});
    AddContact({.qq = "10002", .name = "second"});
    SessionContext.soundOn = 0;
    dispatcher_.OnDatagram(Wire("010002    x"));
    ASSERT_EQ(chats_.lines.size(), 1u);
    EXPECT_EQ(chats_.lines[0].index, 1);
    EXPECT_EQ(chats_.lines[0].line.rfind("second(10002) ", 0), 0u);
    EXPECT_TRUE(shell_.sounds.empty());

    // A sender outside the table still gets a window (without contact data), with no name.
    dispatcher_.OnDatagram(Wire("055555    who?"));
    ASSERT_EQ(chats_.lines.size(), 2u);
    EXPECT_EQ(chats_.lines[1].index, -1);
    EXPECT_EQ(chats_.lines[1].line.rfind("(55555) ", 0), 0u);

    // A chat text naming no sender has nowhere to go.
    dispatcher_.OnDatagram(Wire("0"));
    dispatcher_.OnDatagram(Wire("0         text"));
    EXPECT_EQ(chats_.lines.size(), 2u);
}

TEST_F(DispatcherTest, NoticesWaitForTheMessageButtonInArrivalOrder) {
    dispatcher_.OnDatagram(Wire("3李四[10003]拒绝了您的联系人申请。"));
    dispatcher_.OnDatagram(Wire("6"));
    dispatcher_.OnDatagram(
        Wire("1" + net::PadRight("10004", 9) + net::PadRight("192.168.1.4", 15) + "我是王五"));
    dispatcher_.OnDatagram(Wire("7x"));
    dispatcher_.OnDatagram(Wire("3second refusal"));
    dispatcher_.OnDatagram(Wire("8"));

    ASSERT_EQ(dispatcher_.NoticeQueue().size(), 6u);
    EXPECT_TRUE(dispatcher_.NoticeBlinking());
    EXPECT_TRUE(shell_.HasTimer(net::Dispatcher::kNoticeTimerId));
    shell_.AdvanceTime(900);
    EXPECT_EQ(frame_.flips, 3);

    EXPECT_TRUE(dispatcher_.ConsumeNoticeQueue());
    EXPECT_EQ(shell_.texts(),
              (std::vector<std::string>{"李四[10003]拒绝了您的联系人申请。", "second refusal"}));
    for (const auto& m : shell_.messages()) {
        EXPECT_EQ(m.caption, "提示");
    }
    ASSERT_EQ(frame_.answered_requests.size(), 1u);
    EXPECT_EQ(net::WireText::FromUtf8(frame_.answered_requests[0]).Tail(25), "我是王五");
    EXPECT_TRUE(dispatcher_.NoticeQueue().empty());
    EXPECT_FALSE(dispatcher_.NoticeBlinking());
    EXPECT_FALSE(shell_.HasTimer(net::Dispatcher::kNoticeTimerId));

    // Nothing blinking: the press is not for the queue.
    EXPECT_FALSE(dispatcher_.ConsumeNoticeQueue());
}

TEST_F(DispatcherTest, NoticesArrivingWhileTheQueueIsShownStayQueued) {
    // The answer dialogue is modal; a refusal that arrives meanwhile must not be lost.
    struct ReentrantFrame : FakeFrame {
        net::Dispatcher* dispatcher = nullptr;
        void AnswerContactRequest(const WireText& request) override {
            FakeFrame::AnswerContactRequest(request);
            dispatcher->OnDatagram(WireText::FromUtf8("3arrived meanwhile"));
        }
    } frame;
    net::Dispatcher dispatcher(frame, tree_, chats_);
    frame.dispatcher = &dispatcher;

    dispatcher.OnDatagram(Wire("110004    192.168.1.4    "));
    EXPECT_TRUE(dispatcher.ConsumeNoticeQueue());
    ASSERT_EQ(dispatcher.NoticeQueue().size(), 1u);
    EXPECT_EQ(dispatcher.NoticeQueue()[0].Tail(1), "arrived meanwhile");
    EXPECT_TRUE(dispatcher.NoticeBlinking());
    EXPECT_TRUE(shell_.HasTimer(net::Dispatcher::kNoticeTimerId));
}

TEST_F(DispatcherTest, LoggedInElsewhereClosesTheMainWindow) {
    dispatcher_.OnDatagram(Wire("v"));
    ASSERT_EQ(shell_.messages().size(), 1u);
    EXPECT_EQ(shell_.messages()[0].text, "提示：此号码从别处登录, 您将退出维修管理软件。");
    EXPECT_EQ(shell_.messages()[0].caption, "提示");
    EXPECT_EQ(frame_.calls, std::vector<std::string>{"close"});
}

TEST_F(DispatcherTest, PartsWindowsOpenByRole) {
    SessionContext.u_kind = "4";
    dispatcher_.OnDatagram(Wire(",1"));
    EXPECT_EQ(frame_.calls, (std::vector<std::string>{"draw list", "work order parts"}));
    frame_.calls.clear();
    SessionContext.u_kind = "2";
    dispatcher_.OnDatagram(Wire(",1 and more"));
    EXPECT_EQ(frame_.calls, std::vector<std::string>{"work order parts"});
}

TEST_F(DispatcherTest, OtherTextsChangeNothing) {
    AddContact({.qq = "10002", .online = "2", .lastip = "10.0.0.5", .lastport = "4000"});
    const std::vector<std::string> texts = {
        ".",
        ". anything",
        "bClient10002",
        "bS10002",
        "c127.0.0.1      4000 10002",
        "d10002",
        "e10002",
        "x10002",
        "a1000210001",
        "w127.0.0.1      4000 0",
        "ok 888",
        "Z",
        "",
        "9",
        "96",
        "4",
        "5",
        ",",
        ",2",
    };
    for (const auto& text : texts) {
        dispatcher_.OnDatagram(Wire(text));
    }
    EXPECT_TRUE(frame_.calls.empty());
    EXPECT_TRUE(tree_.icons.empty());
    EXPECT_TRUE(tree_.items.empty());
    EXPECT_TRUE(chats_.lines.empty());
    EXPECT_TRUE(dispatcher_.NoticeQueue().empty());
    EXPECT_TRUE(shell_.messages().empty());
    EXPECT_EQ(ContactTable.Entry(0).online, "2");
    EXPECT_EQ(ContactTable.LastIp(0), "10.0.0.5");
}

TEST_F(DispatcherTest, TextsPostedToAGoneDispatcherAreDropped) {
    net::DatagramHandler handoff;
    {
        FakeFrame frame;
        net::Dispatcher dispatcher(frame, tree_, chats_);
        handoff = dispatcher.Handoff();
        handoff(Wire("v"));
        EXPECT_EQ(frame.calls.size(), 1u);
    }
    handoff(Wire("v"));  // the dispatcher is gone: nothing runs, nothing crashes
    EXPECT_EQ(shell_.messages().size(), 1u);
}

TEST_F(DispatcherTest, ReceivedTextsAreDispatchedInArrivalOrder) {
    net::StopUdpEndpoint();
    AddContact({.qq = "10002", .name = "张三", .online = "3", .pic = "2"});
    StartEndpoint(dispatcher_.Handoff());
    const UdpPeer peer;
    // Presence first, then the greeting that is answered to the address it names.
    peer.SendText(common::Utf8ToGbk("9010002    "), EndpointAddress());
    peer.SendText("010002    one", EndpointAddress());
    peer.SendText("010002    two", EndpointAddress());
    peer.SendText("96110002    127.0.0.1", EndpointAddress());
    ASSERT_TRUE(PumpPosted(4));
    ASSERT_EQ(chats_.lines.size(), 2u);
    EXPECT_NE(chats_.lines[0].line.find("one\r\n"), std::string::npos);
    EXPECT_NE(chats_.lines[1].line.find("two\r\n"), std::string::npos);
    // The receive thread took the port from the "90" text; the greeting's answer uses it.
    EXPECT_EQ(ContactTable.LastPort(0), std::to_string(peer.port()));
    const auto answer = peer.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, Nul("9010001    "));
}

}  // namespace
