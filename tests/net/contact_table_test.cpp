#include "net/contact_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class ContactTableTest : public ::testing::Test {
  protected:
    void SetUp() override { table_.Clear(); }
    net::Contacts table_;
};

TEST_F(ContactTableTest, LookupsFollowTextAndNumberRules) {
    table_.SetQq(0, "10002");
    table_.SetQq(1, "0010003");
    table_.SetQq(2, "10002");

    EXPECT_EQ(table_.FindContact("10002"), 0);      // the first of two
    EXPECT_EQ(table_.FindLastContact("10002"), 2);  // the last of two
    EXPECT_EQ(table_.FindContact("10003"), -1);     // text comparison: "0010003" differs
    EXPECT_EQ(table_.FindContactByNumber(10003), 1);
    EXPECT_EQ(table_.FindContact(""), 3);  // an empty text finds the first free entry
    EXPECT_EQ(table_.FindContactByNumber(0), 3);
    EXPECT_EQ(table_.FreeSlot(), 3);
    EXPECT_EQ(table_.FindContact("99999"), -1);
}

TEST_F(ContactTableTest, FullTableHasNoFreeSlot) {
    for (int i = 0; i < net::kContactCount; ++i) {
        table_.SetQq(i, std::to_string(20000 + i));
    }
    EXPECT_EQ(table_.FreeSlot(), -1);
    EXPECT_EQ(table_.FindContactByNumber(0), -1);
    EXPECT_EQ(table_.FindContact(std::to_string(20000 + 98)), 98);
    // Indexes outside the table read empty and write nothing.
    table_.SetLastIp(99, "127.0.0.1");
    EXPECT_EQ(table_.LastIp(99), "");
    EXPECT_EQ(table_.Qq(-1), "");
    EXPECT_THROW(table_.Entry(99), std::out_of_range);
}

TEST_F(ContactTableTest, AddressNeedsBothFieldsUsable) {
    struct Case {
        std::string ip;
        std::string port;
        bool reachable;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1", "4000", true},  {"", "4000", false},           {"127.0.0.1", "", false},
        {"127.0.0.1", "0", false},    {"127.0.0.1", "70000", false}, {"127.0.0.1", "40x", false},
        {"not an ip", "4000", false}, {"10.1.2.3", "65535", true},
    };
    for (const auto& c : cases) {
        table_.SetLastIp(0, c.ip);
        table_.SetLastPort(0, c.port);
        const auto address = table_.AddressOf(0);
        EXPECT_EQ(address.has_value(), c.reachable) << c.ip << ":" << c.port;
        if (address) {
            EXPECT_EQ(address->ip, c.ip);
            EXPECT_EQ(address->PortText(), c.port);
        }
    }
}

TEST_F(ContactTableTest, ReceiveThreadUpdatesLeaveFreeEntriesAlone) {
    table_.SetQq(0, "10002");
    table_.SetQq(1, "10003");
    table_.SetQq(2, "010002");
    const net::Address source{"127.0.0.1", 4321};

    table_.LearnAddress(10002, source);  // every entry of that number
    EXPECT_EQ(table_.Link(0).lastip, "127.0.0.1");
    EXPECT_EQ(table_.Link(2).lastport, "4321");
    EXPECT_EQ(table_.Link(2).linked, "1");
    EXPECT_EQ(table_.Link(1).linked, "");

    table_.LearnAddress(0, source);  // a stray text with no account
    table_.LearnPort("", "5555");
    EXPECT_EQ(table_.Link(3).lastip, "");
    EXPECT_EQ(table_.Link(3).lastport, "");
    EXPECT_EQ(table_.Link(3).linked, "");

    table_.LearnPort("10002", "5555");  // the first entry with that exact text only
    EXPECT_EQ(table_.LastPort(0), "5555");
    EXPECT_EQ(table_.LastPort(2), "4321");
    EXPECT_EQ(table_.LastIp(0), "127.0.0.1");
}

TEST_F(ContactTableTest, ReadersNeverSeeHalfWrittenAddresses) {
    table_.SetQq(0, "10002");
    const net::Address a{"10.0.0.1", 1111};
    const net::Address b{"192.168.100.200", 22222};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000 && !stop; ++i) {
            table_.LearnAddress(10002, (i % 2) != 0 ? a : b);
        }
        stop = true;
    });
    int mixed = 0;
    while (!stop) {
        const net::LinkFields link = table_.Link(0);
        const bool is_a = link.lastip == a.ip && link.lastport == a.PortText();
        const bool is_b = link.lastip == b.ip && link.lastport == b.PortText();
        if (!link.lastip.empty() && !is_a && !is_b) {
            ++mixed;
        }
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

}  // namespace
