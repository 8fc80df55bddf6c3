// What the messaging tests share: a scripted shell and a fresh data directory per test (with
// both stores made for the tests that need a database), the logged-in identity, contact entries
// made the way the loader makes them, fakes of the windows the dispatcher feeds, and waiting for
// posted work from the receive thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/contact_table.h"
#include "net/dispatch_targets.h"
#include "net/udp_endpoint.h"
#include "session/session_context.h"
#include "support/scripted_shell.h"
#include "support/stores_fixture.h"
#include "support/temp_home.h"
#include "support/udp_peer.h"

namespace net_testing {

struct FakeFrame : net::MainFrame {
    std::vector<std::string> calls;
    std::vector<std::string> answered_requests;  // UTF-8 of each request text
    int flips = 0;
    int redraws = 0;
    void CloseForOtherLogin() override { calls.push_back("close"); }
    void ShowDrawList() override { calls.push_back("draw list"); }
    void ShowWorkOrderParts() override { calls.push_back("work order parts"); }
    void AnswerContactRequest(const net::WireText& request) override {
        answered_requests.push_back(request.Utf8());
    }
    void FlipMessageButton() override { ++flips; }
    void Redraw() override { ++redraws; }
};

struct TreeItem {
    int group;
    std::string text;
    int image;
    std::string remark;
    long long account;
};

struct FakeTree : net::ContactsTree {
    std::vector<TreeItem> items;
    std::vector<std::pair<long long, int>> icons;  // SetContactIcon calls in order
    std::vector<long long> order;                  // ContactItemAccounts
    void AddContactItem(int group, const std::string& text, int image, const std::string& remark,
                        long long account) override {
        items.push_back({group, text, image, remark, account});
    }
    void SetContactIcon(long long account, int image) override {
        icons.emplace_back(account, image);
    }
    std::vector<long long> ContactItemAccounts() const override { return order; }
};

struct IncomingLine {
    std::string account;
    int index;
    std::string line;
};

struct FakeChats : net::ChatWindows {
    std::vector<IncomingLine> lines;
    bool visible = false;
    bool AppendIncoming(const std::string& account, int index, const std::string& line) override {
        lines.push_back({account, index, line});
        return visible;
    }
};

// A contact entry as the contacts tree loader leaves it.
struct NewContact {
    std::string qq = "";
    std::string name = "";
    std::string online = "1";
    std::string lastip = "";
    std::string lastport = "";
    std::string linked = "0";
    std::string pic = "0";
};

// The scripted shell and a data directory without stores, for tests that need no database.
class PlainTest : public ::testing::Test {
  protected:
    testing_support::TempHome home_;
    testing_support::ScriptedShell shell_;
};

template <class Base>
class NetFixture : public Base {
  protected:
    void SetUp() override {
        Base::SetUp();
        SessionContext.qq = "10001";
        SessionContext.name = "客服一";
        SessionContext.online = "1";
        SessionContext.localIp = "192.168.1.10";
        SessionContext.CurrentIp = "127.0.0.1";
    }
    void TearDown() override { net::StopUdpEndpoint(); }

    // Fills the next used entry (from 0) and returns its index.
    int AddContact(const NewContact& contact) {
        const int index = next_entry_++;
        ContactTable.SetQq(index, contact.qq);
        ContactTable.SetLastIp(index, contact.lastip);
        ContactTable.SetLastPort(index, contact.lastport);
        ContactTable.SetLinked(index, contact.linked);
        net::ContactEntry& entry = ContactTable.Entry(index);
        entry.slot = std::to_string(index);
        entry.name = contact.name;
        entry.caption = contact.name + "_" + contact.qq;
        entry.online = contact.online;
        entry.pic = contact.pic;
        return index;
    }

    // Pumps the shell's posted work until `count` items ran in all, waiting at most 5 s.
    bool PumpPosted(int count) {
        for (int attempt = 0; attempt < 5000 && pumped_ < count; ++attempt) {
            pumped_ += this->shell_.Pump();
            if (pumped_ < count) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return pumped_ >= count;
    }

    // Opens the process endpoint and starts its receive thread with `handler`.
    void StartEndpoint(net::DatagramHandler handler) {
        net::StartUdpEndpoint();
        ASSERT_TRUE(net::ProcessEndpoint().IsOpen());
        net::StartReceiveThread(std::move(handler));
    }

    static net::Address EndpointAddress() {
        return testing_support::Loopback(net::ProcessEndpoint().LocalPort());
    }

    int pumped_ = 0;
    int next_entry_ = 0;
};

// Messaging tests without a database, and with both stores made fresh.
using NetTest = NetFixture<PlainTest>;
using NetStoresTest = NetFixture<testing_support::StoresTest>;

}  // namespace net_testing
