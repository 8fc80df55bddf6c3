// The texts whose handling reads the central database: an accepted contact request ("2") and a
// chat text that came through the relay ("0^").
#include <gtest/gtest.h>

#include "net/dispatcher.h"
#include "net_fixture.h"

namespace {

using net::WireText;
using net_testing::FakeChats;
using net_testing::FakeFrame;
using net_testing::FakeTree;
using net_testing::NetStoresTest;

class AcceptanceTest : public NetStoresTest {
  protected:
    void SetUp() override {
        NetStoresTest::SetUp();
        own_ = AddAccount("客服一", "2");
        accepter_ = AddAccount("王技术", "4");
        SessionContext.qq = own_;
        CentralExecute(
            "update zsv_quser set online=1, pic=3, department='工程部', lastip='10.0.0.7', "
            "lastport='4567' where qq=" +
            accepter_);
    }

    WireText Acceptance(const std::string& account) const {
        return WireText::FromUtf8("2" + net::PadRight(account, 9) + net::PadRight("10.0.0.7", 15) +
                                  "王技术 [" + account + "] 同意了您的联系人申请，并加您为好友。");
    }

    std::string own_;
    std::string accepter_;
    FakeFrame frame_;
    FakeTree tree_;
    FakeChats chats_;
    net::Dispatcher dispatcher_{frame_, tree_, chats_};
};

TEST_F(AcceptanceTest, AcceptedRequestAddsTheContactAndTakesNote) {
    Link(accepter_, own_, 9);
    Link("100000", own_, 9);
    Link(own_, accepter_, 2);

    dispatcher_.OnDatagram(Acceptance(accepter_));

    EXPECT_EQ(
        CentralRows("select qq,black from zsv_friend where friendqq=" + own_ + " and black = 9",
                    {"qq", "black"}),
        std::vector<std::string>{});
    EXPECT_EQ(
        CentralRows("select black from zsv_friend where qq=" + own_ + " and friendqq=" + accepter_,
                    {"black"}),
        std::vector<std::string>{"2"});  // the own request row is not this text's
    const int slot = ContactTable.FindContact(accepter_);
    ASSERT_EQ(slot, 0);
    const net::ContactEntry& entry = ContactTable.Entry(slot);
    EXPECT_EQ(entry.slot, "0");
    EXPECT_EQ(entry.name, "王技术");
    EXPECT_EQ(entry.online, "1");
    EXPECT_EQ(entry.pic, "3");
    EXPECT_EQ(entry.department, "工程部");
    EXPECT_EQ(ContactTable.LastIp(slot), "10.0.0.7");
    EXPECT_EQ(ContactTable.LastPort(slot), "4567");
    ASSERT_EQ(tree_.items.size(), 1u);
    EXPECT_EQ(tree_.items[0].group, 0);
    EXPECT_EQ(tree_.items[0].text, "王技术");
    EXPECT_EQ(tree_.items[0].image, 3);
    EXPECT_EQ(tree_.items[0].remark, "工程部");
    EXPECT_EQ(tree_.items[0].account, std::stoll(accepter_));
    EXPECT_GE(frame_.redraws, 1);
    // The text also waits for the message button, which shows its tail.
    ASSERT_EQ(dispatcher_.NoticeQueue().size(), 1u);
    dispatcher_.ConsumeNoticeQueue();
    EXPECT_EQ(shell_.texts(), std::vector<std::string>{"王技术 [" + accepter_ +
                                                       "] 同意了您的联系人申请，并加您为好友。"});
    EXPECT_FALSE(CentralDb.IsOpen());
}

TEST_F(AcceptanceTest, AcceptanceFromAContactAlreadyHeldAddsASecondEntry) {
    AddContact({.qq = accepter_, .name = "王技术"});
    CentralExecute("update zsv_quser set online=3 where qq=" + accepter_);
    dispatcher_.OnDatagram(Acceptance(accepter_));
    EXPECT_EQ(ContactTable.FindLastContact(accepter_), 1);
    ASSERT_EQ(tree_.items.size(), 1u);
    EXPECT_EQ(tree_.items[0].image, 5);  // not online: pic + 2
}

TEST_F(AcceptanceTest, FullTableAddsNoEntryButStillTakesNote) {
    for (int i = 0; i < net::kContactCount; ++i) {
        ContactTable.SetQq(i, std::to_string(20000 + i));
    }
    Link(accepter_, own_, 9);
    dispatcher_.OnDatagram(Acceptance(accepter_));
    EXPECT_EQ(ContactTable.FindContact(accepter_), -1);
    EXPECT_TRUE(tree_.items.empty());
    EXPECT_EQ(
        CentralRows("select black from zsv_friend where qq=" + accepter_ + " and friendqq=" + own_,
                    {"black"}),
        std::vector<std::string>{"0"});
}

TEST_F(AcceptanceTest, AccountFieldThatIsNotANumberNeverReachesTheStatement) {
    // "where qq = 1 or 1=1" would pick the first account of the database.
    for (const std::string field : {"1 or 1=1", "0;delete", "x", ""}) {
        dispatcher_.OnDatagram(WireText::FromUtf8("2" + net::PadRight(field, 9) + "rest"));
    }
    EXPECT_EQ(ContactTable.FreeSlot(), 0);
    EXPECT_TRUE(tree_.items.empty());
    EXPECT_EQ(CentralRows("select qq from zsv_quser where qq=" + accepter_, {"qq"}).size(), 1u);
}

TEST_F(AcceptanceTest, RelayedChatRefreshesTheSendersAddress) {
    const int index = AddContact({.qq = accepter_,
                                  .name = "王技术",
                                  .online = "3",
                                  .lastip = "10.9.9.9",
                                  .lastport = "1",
                                  .linked = "0",
                                  .pic = "3"});
    dispatcher_.OnDatagram(WireText::FromUtf8("0^" + net::PadRight(accepter_, 9) + "经中转"));

    EXPECT_EQ(ContactTable.LastIp(index), "10.0.0.7");
    EXPECT_EQ(ContactTable.LastPort(index), "4567");
    EXPECT_EQ(ContactTable.Entry(index).online, "1");
    ASSERT_EQ(tree_.icons.size(), 2u);
    EXPECT_EQ(tree_.icons[0], std::make_pair(std::stoll(accepter_), 3));
    EXPECT_EQ(tree_.icons[1], std::make_pair(std::stoll(accepter_), net::kUnreadImage));
    ASSERT_EQ(chats_.lines.size(), 1u);
    EXPECT_EQ(chats_.lines[0].account, accepter_);
    const std::string& line = chats_.lines[0].line;
    EXPECT_EQ(line.substr(line.size() - std::string("  经中转\r\n").size()), "  经中转\r\n");
}

}  // namespace
