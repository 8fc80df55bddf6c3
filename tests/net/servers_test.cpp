#include "net/servers.h"

#include <gtest/gtest.h>

#include "db/installation.h"
#include "db/stores.h"
#include "net_fixture.h"

namespace {

using net_testing::NetStoresTest;
using testing_support::UdpPeer;

using testing_support::Nul;

class ServersTest : public NetStoresTest {
  protected:
    void UseDefaultServer(const std::string& value) {
        db::LocalSettings settings;
        settings.default_server = value;
        std::string error;
        ASSERT_TRUE(db::WriteLocalSettings(settings, error)) << error;
        db::ReloadInstallation();
    }
};

TEST_F(ServersTest, EndpointsComeFromTheSessionAndTheInstallation) {
    SessionContext.CurrentIp = "10.1.1.1";
    SessionContext.Port_server = 9877;
    EXPECT_EQ(net::RelayServer(), (net::Address{"10.1.1.1", 9877}));
    EXPECT_EQ(net::DefaultServer(), (net::Address{"10.1.1.1", 9876}));

    UseDefaultServer("10.2.2.2");
    EXPECT_EQ(net::DefaultServer(), (net::Address{"10.2.2.2", 9876}));
    UseDefaultServer("127.0.0.1:40001");
    EXPECT_EQ(net::DefaultServer(), (net::Address{"127.0.0.1", 40001}));
    UseDefaultServer("127.0.0.1:0");
    EXPECT_FALSE(net::DefaultServer());

    SessionContext.Port_server = 0;
    EXPECT_FALSE(net::RelayServer());
    SessionContext.Port_server = 9877;
    SessionContext.CurrentIp = "";
    EXPECT_FALSE(net::RelayServer());
}

TEST_F(ServersTest, StartUpTextsGoToBothServers) {
    net::StartUdpEndpoint();
    const UdpPeer relay;
    const UdpPeer default_server;
    SessionContext.Port_server = relay.port();
    UseDefaultServer("127.0.0.1:" + std::to_string(default_server.port()));

    net::SendServerGreetings();
    net::AskRelayToConnect("10002");
    const auto ok = default_server.Receive();
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->bytes, Nul("ok 888"));
    const auto x = relay.Receive();
    const auto a = relay.Receive();
    ASSERT_TRUE(x && a);
    EXPECT_EQ(x->bytes, Nul("x10001    "));
    EXPECT_EQ(a->bytes, Nul("a10002    10001    "));
}

}  // namespace
