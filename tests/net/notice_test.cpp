#include "net/notice.h"

#include <gtest/gtest.h>

#include "common/gbk.h"
#include "net_fixture.h"

namespace {

using net::Delivery;
using net_testing::NetStoresTest;
using testing_support::UdpPeer;

using testing_support::Nul;
using testing_support::ReceivedBeforeMarker;

class NoticeTest : public NetStoresTest {
  protected:
    void SetUp() override {
        NetStoresTest::SetUp();
        net::StartUdpEndpoint();
        SessionContext.Port_server = relay_.port();
    }

    std::vector<std::string> StoredRows() {
        return CentralRows(
            "select source,target,sourcename,targetname,speak,sourceip,targetip,affirm from "
            "zsv_dialog",
            {"source", "target", "sourcename", "targetname", "speak", "sourceip", "targetip",
             "affirm"});
    }

    UdpPeer relay_;
    UdpPeer contact_;
};

std::string Row(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        row += (i > 0 ? db::kSeparator : "") + fields[i];
    }
    return row;
}

struct NoticeCase {
    const char* name;
    std::string online;
    bool has_ip;
    bool has_port;
    std::string linked;
    Delivery delivery;
};

TEST_F(NoticeTest, NoticeTakesTheDirectRelayOrStoredPath) {
    const std::string text = "提示： 您有新的维修任务。 [系统自动发送]";
    const std::string gbk = common::Utf8ToGbk(text);
    const std::string port = std::to_string(contact_.port());
    const std::vector<NoticeCase> cases = {
        {"linked and online", "1", true, true, "1", Delivery::Direct},
        {"linked and invisible", "2", true, true, "1", Delivery::Direct},
        {"address but no link", "1", true, true, "0", Delivery::Relayed},
        {"logged out", "3", true, true, "1", Delivery::Stored},
        {"no address", "1", false, false, "0", Delivery::Stored},
        {"address without port", "1", true, false, "1", Delivery::Stored},
        {"port without address", "1", false, true, "1", Delivery::Stored},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContactTable.Clear();
        next_entry_ = 0;
        CentralExecute("delete from zsv_dialog");
        AddContact({.qq = "10002",
                    .name = "王技术",
                    .online = c.online,
                    .lastip = c.has_ip ? "127.0.0.1" : "",
                    .lastport = c.has_port ? port : "",
                    .linked = c.linked});

        EXPECT_EQ(net::SendNotice(text + "  \r\n", "10002"), c.delivery);

        const std::vector<std::string> direct =
            c.delivery == Delivery::Direct ? std::vector<std::string>{Nul("010001    " + gbk)}
                                           : std::vector<std::string>{};
        const std::vector<std::string> relayed =
            c.delivery == Delivery::Relayed
                ? std::vector<std::string>{Nul("w127.0.0.1      " + net::PadRight(port, 5) +
                                               "0^10001    " + gbk)}
                : std::vector<std::string>{};
        EXPECT_EQ(ReceivedBeforeMarker(contact_), direct);
        EXPECT_EQ(ReceivedBeforeMarker(relay_), relayed);
        const std::vector<std::string> stored =
            c.delivery == Delivery::Stored
                ? std::vector<std::string>{Row({"10001", "10002", "客服一", "王技术", text,
                                                "192.168.1.10", c.has_ip ? "127.0.0.1" : "", "0"})}
                : std::vector<std::string>{};
        EXPECT_EQ(StoredRows(), stored);
    }
}

TEST_F(NoticeTest, NothingForEmptyTextsOrAccountsOutsideTheTable) {
    AddContact({.qq = "10002", .online = "3"});
    EXPECT_EQ(net::SendNotice("提示： 您有新的维修任务。", ""), Delivery::None);
    EXPECT_EQ(net::SendNotice("提示： 您有新的维修任务。", "55555"), Delivery::None);
    EXPECT_EQ(net::SendNotice(" \t\r\n", "10002"), Delivery::None);
    EXPECT_EQ(net::SendNotice("", "10002"), Delivery::None);
    EXPECT_TRUE(StoredRows().empty());
    EXPECT_TRUE(ReceivedBeforeMarker(relay_).empty());
}

TEST_F(NoticeTest, StoredTextsKeepQuotesAndCannotChangeTheStatement) {
    AddContact({.qq = "10002", .name = "O'Neil", .online = "3"});
    SessionContext.name = "it's me";
    const std::string text = "提示：配件 'A' 已到', 0); delete from zsv_dialog; --";
    EXPECT_EQ(net::SendNotice(text, "10002"), Delivery::Stored);
    EXPECT_EQ(StoredRows(), std::vector<std::string>{Row({"10001", "10002", "it's me", "O'Neil",
                                                          text, "192.168.1.10", "", "0"})});
}

TEST_F(NoticeTest, WithoutRelayAddressTheNoticeIsStoredNotLost) {
    SessionContext.CurrentIp = "";
    AddContact({.qq = "10002",
                .online = "1",
                .lastip = "127.0.0.1",
                .lastport = std::to_string(contact_.port()),
                .linked = "0"});
    EXPECT_EQ(net::SendNotice("提示： 您有新的维修任务。", "10002"), Delivery::Stored);
    EXPECT_EQ(StoredRows().size(), 1u);
}

}  // namespace
