#include "net/udp_endpoint.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cstdlib>

#include "common/gbk.h"
#include "net_fixture.h"

namespace {

using net_testing::NetTest;
using testing_support::Loopback;
using testing_support::ProcessEnded;
using testing_support::UdpPeer;

class UdpEndpointTest : public NetTest {
  protected:
    void StartCollecting() {
        StartEndpoint([this](const net::WireText& text) { received_.push_back(text.bytes()); });
    }
    std::vector<std::string> received_;
};

TEST_F(UdpEndpointTest, EveryDatagramReachesTheUserInterfaceThreadWhole) {
    StartCollecting();
    const UdpPeer peer;
    const std::string longest(1999, 'z');  // with its NUL exactly the 2000 bytes a client reads
    const std::string too_long(2000, 'y');

    peer.SendText(longest, EndpointAddress());
    peer.SendText(too_long, EndpointAddress());  // 2001 bytes: dropped, the loop goes on
    peer.SendRaw("no terminator", EndpointAddress());
    peer.SendRaw(std::string("ab\0cd", 5), EndpointAddress());
    peer.SendRaw(std::string(2000, 'x'), EndpointAddress());  // 2000 bytes without NUL fit
    peer.SendText("first", EndpointAddress());
    peer.SendText("second", EndpointAddress());

    ASSERT_TRUE(PumpPosted(6));
    const std::vector<std::string> expected = {
        longest, "no terminator", "ab", std::string(2000, 'x'), "first", "second"};
    EXPECT_EQ(received_, expected);
}

TEST_F(UdpEndpointTest, SendDatagramPutsGbkAndOneNulOnTheWire) {
    net::StartUdpEndpoint();
    const UdpPeer peer;
    net::SendDatagram("0" + net::PadRight("10001", 9) + "你好，维修", peer.address());
    const auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes, "010001    " + common::Utf8ToGbk("你好，维修") + std::string(1, '\0'));
    EXPECT_EQ(got->source.port, net::ProcessEndpoint().LocalPort());
    EXPECT_EQ(SessionContext.udpSocket, net::ProcessEndpoint().fd());
}

TEST_F(UdpEndpointTest, WithoutSocketSendingIsSilent) {
    const UdpPeer peer;
    net::SendDatagram("d10001", peer.address());  // nothing opened: no crash, nothing sent
    net::SendDatagram("sentinel", peer.address());
    EXPECT_FALSE(peer.Receive(50));
}

// Two neighbouring ports with nothing bound to them.
std::pair<UdpPeer, std::uint16_t> FreePortPair() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::uint16_t port = testing_support::FreeUdpPort();
        net::UdpSocket next = net::UdpSocket::Create();
        if (port < 65535 && next.Bind(static_cast<std::uint16_t>(port + 1), "127.0.0.1")) {
            next.Close();
            return {UdpPeer(), port};
        }
    }
    throw std::runtime_error("no two free neighbouring ports");
}

net::UdpSocket Occupy(std::uint16_t port) {
    net::UdpSocket socket = net::UdpSocket::Create();
    EXPECT_TRUE(socket.Bind(port, "127.0.0.1"));
    return socket;
}

TEST_F(UdpEndpointTest, BindTriesTheNextPortOnce) {
    const auto [unused, port] = FreePortPair();
    const net::UdpSocket taken = Occupy(port);
    net::UdpEndpoint endpoint;
    ASSERT_TRUE(endpoint.Open(port));
    EXPECT_EQ(endpoint.LocalPort(), port + 1);
    EXPECT_TRUE(shell_.messages().empty());
}

TEST_F(UdpEndpointTest, BothBindsFailingEndsTheProcess) {
    const auto [unused, port] = FreePortPair();
    const net::UdpSocket first = Occupy(port);
    const net::UdpSocket second = Occupy(static_cast<std::uint16_t>(port + 1));
    net::UdpEndpoint endpoint;
    try {
        endpoint.Open(port);
        FAIL() << "the process should have ended";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, -1);
    }
    ASSERT_EQ(shell_.messages().size(), 1u);
    EXPECT_EQ(shell_.messages()[0].text, "连接初始化失败!");
    EXPECT_EQ(shell_.messages()[0].caption, "提示");
    EXPECT_EQ(shell_.messages()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_FALSE(endpoint.IsOpen());
}

// The lowest `count` descriptor numbers that are free now.
std::vector<int> FreeDescriptors(int count) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        fds.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }
    for (const int fd : fds) {
        ::close(fd);
    }
    return fds;
}

TEST_F(UdpEndpointTest, WithoutDescriptorsThePersonIsToldAndThereIsNoSocket) {
    // Run out of descriptors at chosen points: before the receive thread's wake-up pipe, then
    // between the pipe and the socket.
    const std::vector<int> free = FreeDescriptors(3);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    struct Case {
        rlim_t limit;
        const char* text;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {static_cast<rlim_t>(free[0]), "Socket Stack Error!", "Error"},
        {static_cast<rlim_t>(free[2]), "创建套接字失败!", "提示"},
    };
    for (const auto& c : cases) {
        shell_.ClearMessages();
        rlimit limited = saved;
        limited.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limited), 0);
        net::UdpEndpoint endpoint;
        const bool opened = endpoint.Open(0);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        EXPECT_FALSE(opened);
        EXPECT_FALSE(endpoint.IsOpen());
        EXPECT_FALSE(endpoint.StartReceiving("10001", ContactTable, nullptr));
        ASSERT_EQ(shell_.messages().size(), 1u);
        EXPECT_EQ(shell_.messages()[0].text, c.text);
        EXPECT_EQ(shell_.messages()[0].caption, c.caption);
        EXPECT_EQ(shell_.messages()[0].buttons, ui::Buttons::OkCancel);
    }
}

TEST_F(UdpEndpointTest, ClosingStopsTheThreadWhileTextsArrive) {
    // Texts keep coming while the endpoint is closed and opened again; the thread must end
    // each time without touching what it was given after the close.
    const UdpPeer peer;
    for (int round = 0; round < 20; ++round) {
        auto counter = std::make_shared<int>(0);
        {
            net::UdpEndpoint endpoint;
            ASSERT_TRUE(endpoint.Open(0));
            ASSERT_TRUE(endpoint.StartReceiving("10001", ContactTable,
                                                [counter](const net::WireText&) { ++*counter; }));
            EXPECT_FALSE(endpoint.StartReceiving("10001", ContactTable, nullptr));
            for (int i = 0; i < 10; ++i) {
                peer.SendText("d20000    ", Loopback(endpoint.LocalPort()));
            }
        }  // destroyed with texts still in flight
        shell_.Pump();
    }
    peer.Drain();
}

TEST_F(UdpEndpointTest, EndOfProcessStopsTheReceiveThread) {
    // The process ends with its receive thread busy: the thread is stopped and joined before
    // the contact table and the session record it uses are destroyed.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            AddContact({.qq = "10002"});
            StartEndpoint([](const net::WireText&) {});
            const UdpPeer peer;
            for (int i = 0; i < 500; ++i) {
                peer.SendText("d10002    ", EndpointAddress());
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
