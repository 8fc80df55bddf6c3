#include "mainwnd/contacts_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "db/installation.h"
#include "net/dispatcher.h"
#include "net/net_fixture.h"
#include "net/wire_text.h"
#include "support/qt_app.h"
#include "ui/qt/qt_form.h"

namespace {

using net::PadRight;
using net::WireText;
using testing_support::UdpPeer;

using testing_support::Nul;

struct FakeHost : mainwnd::ContactsTreeHost {
    bool offline_waiting = false;
    int offline_taken = 0;
    std::vector<int> opened;
    int redraws = 0;
    bool OfflineMessagesWaiting() const override { return offline_waiting; }
    void TakeOfflineMessages() override {
        offline_waiting = false;
        ++offline_taken;
    }
    void OpenChatWindow(int index) override { opened.push_back(index); }
    void Redraw() override { ++redraws; }
};

// One contact item as the tree shows it.
struct Shown {
    int group;
    std::string text;
    int image;
    std::string remark;
    long long account;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << "{" << s.group << ", \"" << s.text << "\", " << s.image << ", \"" << s.remark << "\", "
         << s.account << "}";
}

class ContactsTreeTest : public net_testing::NetStoresTest {
  protected:
    static constexpr int kTree = mainwnd::ContactsTree::kTreeId;

    void SetUp() override {
        net_testing::NetStoresTest::SetUp();
        testing_support::EnsureQtApplication();
        form_ = ui::qt::QtForm::LoadFile(QITAI_SOURCE_DIR "/tests/tree/templates/contacts.ui",
                                         "contacts");
        ASSERT_NE(form_, nullptr);
        own_ = AddManager("王经理");
        // The manager's shop links him with himself; these tests look at the others.
        CentralExecute("delete from zsv_friend where qq = " + own_ + " and friendqq = " + own_);
        SessionContext.qq = own_;
        tree_ = std::make_unique<mainwnd::ContactsTree>(*form_, host_);
        net::StartUdpEndpoint();
        ASSERT_TRUE(net::ProcessEndpoint().IsOpen());
    }

    // An employee of the shop with the presence, picture, department and address given.
    std::string AddPerson(const std::string& name, const std::string& role,
                          const std::string& online, int pic, const std::string& department,
                          const std::string& lastip = "", const std::string& lastport = "") {
        db::NewAccount account;
        account.name = name;
        account.role = role;
        account.manager = own_;
        account.department = department;
        const std::string qq = AddAccount(account);
        CentralExecute("update zsv_quser set online = " + online +
                       ", pic = " + std::to_string(pic) + ", lastip = '" + lastip +
                       "', lastport = '" + lastport + "' where qq = " + qq);
        return qq;
    }

    void SetRemark(const std::string& friendqq, const std::string& remark) {
        CentralExecute("update zsv_friend set comment = '" + remark + "' where qq = " + own_ +
                       " and friendqq = " + friendqq);
    }

    void UseServersAt(const UdpPeer& peer) {
        db::LocalSettings settings;
        settings.default_server = "127.0.0.1:" + std::to_string(peer.port());
        std::string error;
        ASSERT_TRUE(db::WriteLocalSettings(settings, error)) << error;
        db::ReloadInstallation();
        SessionContext.CurrentIp = "127.0.0.1";
        SessionContext.Port_server = peer.port();
    }

    std::vector<Shown> Items() const {
        std::vector<Shown> shown;
        const auto groups = form_->TreeChildren(kTree, ui::kNoItem);
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            for (const ui::TreeItem item : form_->TreeChildren(kTree, groups[g])) {
                shown.push_back({g, form_->TreeText(kTree, item), form_->TreeImage(kTree, item),
                                 form_->TreeRemark(kTree, item), form_->TreeData(kTree, item)});
            }
        }
        return shown;
    }

    std::vector<std::string> GroupTexts() const {
        std::vector<std::string> texts;
        for (const ui::TreeItem group : form_->TreeChildren(kTree, ui::kNoItem)) {
            texts.push_back(form_->TreeText(kTree, group));
        }
        return texts;
    }

    ui::TreeItem ItemOf(const std::string& qq) const {
        for (const ui::TreeItem group : form_->TreeChildren(kTree, ui::kNoItem)) {
            for (const ui::TreeItem item : form_->TreeChildren(kTree, group)) {
                if (form_->TreeData(kTree, item) == std::stoll(qq)) {
                    return item;
                }
            }
        }
        ADD_FAILURE() << "no item for " << qq;
        return ui::kNoItem;
    }

    // Sends a marker to the peer from the client's socket; what the peer receives before it is
    // everything the client sent it.
    static std::vector<std::string> ReceivedUntilMarker(const UdpPeer& peer) {
        net::SendDatagram("marker", peer.address());
        std::vector<std::string> texts;
        while (const auto datagram = peer.Receive()) {
            if (datagram->bytes == Nul("marker")) {
                return texts;
            }
            texts.push_back(datagram->bytes);
        }
        ADD_FAILURE() << "the marker never came";
        return texts;
    }

    std::unique_ptr<ui::qt::QtForm> form_;
    FakeHost host_;
    std::string own_;
    std::unique_ptr<mainwnd::ContactsTree> tree_;
};

TEST_F(ContactsTreeTest, LoadShowsGroupsPrefixesRemarkLinesAndPresence) {
    const std::string service = AddPerson("李客服", "2", "1", 0, "前台");
    const std::string keeper = AddPerson("赵保管", "5", "2", 3, "仓库");
    const std::string tech = AddPerson("张技术", "4", "3", 0, "维修部");
    const std::string other = AddPerson("钱其他", "3", "1", 0, "外部");
    const std::string waiting = AddPerson("孙申请", "2", "1", 0, "前台");
    const std::string accepted = AddPerson("周新人", "4", "1", 3, "维修部");
    SetRemark(keeper, "x");
    SetRemark(tech, "老张");
    CentralExecute("update zsv_friend set black = 2 where qq = " + own_ +
                   " and friendqq = " + waiting);
    CentralExecute("update zsv_friend set black = 9 where qq = " + own_ +
                   " and friendqq = " + accepted);

    tree_->Load();

    EXPECT_EQ(GroupTexts(), (std::vector<std::string>{"综合业务_即时通讯", "工程技术_即时通讯"}));
    for (const ui::TreeItem group : form_->TreeChildren(kTree, ui::kNoItem)) {
        EXPECT_TRUE(form_->IsExpanded(kTree, group));
        EXPECT_EQ(form_->TreeImage(kTree, group), -1);
    }
    // A role outside 1, 2, 4, 5 gets no item; a request still waiting (black 2) is no contact.
    const std::vector<Shown> expected = {
        {0, "客服 李客服_" + service, 0, "前台", std::stoll(service)},
        {0, "保管员 赵保管_" + keeper, 5, "仓库_x", std::stoll(keeper)},
        {1, "张技术_" + tech, 2, "维修部_老张", std::stoll(tech)},
        {1, "周新人_" + accepted, 3, "维修部", std::stoll(accepted)},
    };
    const std::vector<Shown> items = Items();
    // Technicians come in the order of their last login: compare them as a set.
    ASSERT_EQ(items.size(), expected.size());
    EXPECT_EQ(items[0], expected[0]);
    EXPECT_EQ(items[1], expected[1]);
    EXPECT_TRUE((items[2] == expected[2] && items[3] == expected[3]) ||
                (items[2] == expected[3] && items[3] == expected[2]));

    std::vector<long long> accounts;
    for (const Shown& item : items) {
        accounts.push_back(item.account);
    }
    EXPECT_EQ(tree_->ContactItemAccounts(), accounts);

    // The table holds what the items came from, with the role-less contact too.
    const int index = ContactTable.FindContact(other);
    ASSERT_GE(index, 0);
    EXPECT_EQ(ContactTable.Entry(index).u_kind, "3");
    EXPECT_EQ(ContactTable.Entry(index).caption, "钱其他_" + other);
    EXPECT_EQ(ContactTable.Linked(index), "0");
}

TEST_F(ContactsTreeTest, OnlyTheFirst99ContactsAreLoaded) {
    std::string people =
        "insert into zsv_quser (qq,name,u_kind,online,pic,department,lasttime) "
        "values ";
    std::string links = "insert into zsv_friend (qq,friendqq,black,comment) values ";
    for (int i = 0; i < 120; ++i) {
        const std::string qq = std::to_string(200000 + i);
        // The newest login first: 200119 is the most recent.
        char lasttime[32];
        std::snprintf(lasttime, sizeof lasttime, "2024-01-01 %02d:%02d:00", i / 60, i % 60);
        people += std::string(i ? "," : "") + "(" + qq + ",'技术员" + std::to_string(i) +
                  "',4,1,0,'维修部','" + lasttime + "')";
        links += std::string(i ? "," : "") + "(" + own_ + "," + qq + ",0,'')";
    }
    CentralExecute(people);
    CentralExecute(links);

    tree_->Load();

    std::vector<long long> expected;
    for (int i = 119; i >= 21; --i) {
        expected.push_back(200000 + i);
    }
    EXPECT_EQ(tree_->ContactItemAccounts(), expected);
    EXPECT_EQ(ContactTable.FreeSlot(), -1);
    EXPECT_EQ(ContactTable.FindContact("200020"), -1);
}

TEST_F(ContactsTreeTest, StartUpTextsGoOutInOrderAndSkipLoggedOutContacts) {
    const UdpPeer servers;
    UseServersAt(servers);
    const std::string online = AddPerson("李客服", "2", "1", 0, "前台");
    const std::string invisible = AddPerson("赵保管", "5", "2", 0, "仓库");
    AddPerson("张技术", "4", "3", 0, "维修部");

    tree_->Load();

    const std::string own = PadRight(own_, 9);
    EXPECT_EQ(ReceivedUntilMarker(servers),
              (std::vector<std::string>{Nul("ok 888"), Nul("x" + own),
                                        Nul("a" + PadRight(online, 9) + own),
                                        Nul("a" + PadRight(invisible, 9) + own)}));
}

TEST_F(ContactsTreeTest, ReloadRebuildsAndAFailedQueryLeavesEmptyGroups) {
    const std::string service = AddPerson("李客服", "2", "1", 0, "前台");
    tree_->Load();
    CentralExecute("update zsv_quser set online = 2 where qq = " + service);
    tree_->Load();
    EXPECT_EQ(Items(),
              (std::vector<Shown>{{0, "客服 李客服_" + service, 2, "前台", std::stoll(service)}}));

    // Without contacts rows the queries fail: the two groups stay, empty. The entry loaded
    // before keeps its values, as nothing replaced them.
    CentralExecute("drop table zsv_friend");
    tree_->Load();
    EXPECT_EQ(GroupTexts(), (std::vector<std::string>{"综合业务_即时通讯", "工程技术_即时通讯"}));
    EXPECT_EQ(Items().size(), 1U);
}

TEST_F(ContactsTreeTest, PresenceTextsAndUnreadChatsChangeIcons) {
    const std::string service = AddPerson("李客服", "2", "2", 3, "前台");
    tree_->Load();
    const int index = ContactTable.FindContact(service);
    ASSERT_GE(index, 0);
    net_testing::FakeFrame frame;
    net_testing::FakeChats chats;
    net::Dispatcher dispatcher(frame, *tree_, chats);
    const std::string who = PadRight(service, 9);

    struct Case {
        std::string text;
        int image;
        std::string online;
    };
    const std::vector<Case> cases = {
        {"90" + who, 3, "1"},
        {"91" + who, 5, "2"},
        {"961" + who + PadRight("127.0.0.1", 15), 3, "1"},
        {"962" + who + PadRight("127.0.0.1", 15), 5, "2"},
        {"0" + who + "在吗", 6, "2"},
        {"92" + who, 5, "3"},
        // Through the relay: online again, and unread at once since its window is hidden.
        {"0^" + who + "转发", 6, "1"},
    };
    for (const Case& c : cases) {
        const int redraws = host_.redraws;
        dispatcher.OnDatagram(WireText::FromUtf8(c.text));
        EXPECT_EQ(form_->TreeImage(kTree, ItemOf(service)), c.image) << c.text;
        EXPECT_EQ(ContactTable.Entry(index).online, c.online) << c.text;
        EXPECT_GT(host_.redraws, redraws) << c.text;
    }

    // A double click returns an unread contact to its presence picture.
    dispatcher.OnDatagram(WireText::FromUtf8("0" + who + "再问"));
    ASSERT_EQ(form_->TreeImage(kTree, ItemOf(service)), 6);
    form_->DoubleClickTreeItem(kTree, ItemOf(service));
    EXPECT_EQ(form_->TreeImage(kTree, ItemOf(service)), 3);
}

TEST_F(ContactsTreeTest, AnAcceptedContactIsAddedUnderTheFirstGroup) {
    tree_->Load();
    db::NewAccount stranger;
    stranger.name = "吴外援";
    stranger.role = "4";
    stranger.department = "外协";
    std::string error;
    const std::string qq = db::CreateAccount(stranger, error);
    ASSERT_FALSE(qq.empty()) << error;
    net_testing::FakeFrame frame;
    net_testing::FakeChats chats;
    net::Dispatcher dispatcher(frame, *tree_, chats);

    dispatcher.OnDatagram(WireText::FromUtf8("2" + PadRight(qq, 9) + PadRight("127.0.0.1", 15) +
                                             "吴外援 [" + qq +
                                             "] 同意了您的联系人申请，并加您为好友。"));

    EXPECT_EQ(Items(), (std::vector<Shown>{{0, "吴外援", 2, "外协", std::stoll(qq)}}));
}

TEST_F(ContactsTreeTest, DoubleClickOpensTheChatAndGreetsWithOwnPresence) {
    const UdpPeer peer;
    const std::string reachable =
        AddPerson("李客服", "2", "1", 0, "前台", "127.0.0.1", std::to_string(peer.port()));
    const std::string portless = AddPerson("赵保管", "5", "1", 0, "仓库", "127.0.0.1", "");
    SessionContext.localIp = "192.168.1.10";
    tree_->Load();
    const int index = ContactTable.FindContact(reachable);

    struct Case {
        std::string own_presence;
        std::string code;
    };
    for (const Case& c : {Case{"1", "961"}, Case{"2", "962"}}) {
        SessionContext.online = c.own_presence;
        host_.opened.clear();
        // A window already open for the contact is shown again and the greeting still goes.
        form_->DoubleClickTreeItem(kTree, ItemOf(reachable));
        form_->DoubleClickTreeItem(kTree, ItemOf(reachable));
        EXPECT_EQ(host_.opened, (std::vector<int>{index, index}));
        const std::string greeting =
            Nul(c.code + PadRight(own_, 9) + PadRight(SessionContext.localIp, 15));
        EXPECT_EQ(ReceivedUntilMarker(peer), (std::vector<std::string>{greeting, greeting}));
    }

    // Without a port the contact is not reachable: its chat opens, nothing is sent to it.
    host_.opened.clear();
    form_->DoubleClickTreeItem(kTree, ItemOf(portless));
    EXPECT_EQ(host_.opened, (std::vector<int>{ContactTable.FindContact(portless)}));
    EXPECT_TRUE(ReceivedUntilMarker(peer).empty());
    EXPECT_TRUE(shell_.messages().empty());
}

TEST_F(ContactsTreeTest, WaitingOfflineMessagesComeBeforeTheFirstChat) {
    const UdpPeer peer;
    const std::string reachable =
        AddPerson("李客服", "2", "1", 0, "前台", "127.0.0.1", std::to_string(peer.port()));
    tree_->Load();
    host_.offline_waiting = true;

    form_->DoubleClickTreeItem(kTree, ItemOf(reachable));
    ASSERT_EQ(shell_.messages().size(), 1U);
    EXPECT_EQ(shell_.messages()[0].text, "提示: 首先显示离线消息。");
    EXPECT_EQ(shell_.messages()[0].caption, "提示");
    EXPECT_EQ(host_.offline_taken, 1);
    EXPECT_TRUE(host_.opened.empty());
    EXPECT_TRUE(ReceivedUntilMarker(peer).empty());

    form_->DoubleClickTreeItem(kTree, ItemOf(reachable));
    EXPECT_EQ(host_.offline_taken, 1);
    EXPECT_EQ(host_.opened, (std::vector<int>{ContactTable.FindContact(reachable)}));
    EXPECT_EQ(ReceivedUntilMarker(peer).size(), 1U);
}

TEST_F(ContactsTreeTest, ClicksOnGroupsToggleThemAndDoubleClicksOpenNothing) {
    AddPerson("李客服", "2", "1", 0, "前台", "127.0.0.1", "40000");
    tree_->Load();
    const ui::TreeItem group = tree_->Group(0);

    form_->ChooseTreeItem(kTree, group);
    EXPECT_FALSE(form_->IsExpanded(kTree, group));
    form_->ChooseTreeItem(kTree, group);
    EXPECT_TRUE(form_->IsExpanded(kTree, group));

    form_->DoubleClickTreeItem(kTree, group);
    EXPECT_TRUE(host_.opened.empty());

    // A click on a contact leaves its group as it is.
    const ui::TreeItem contact = form_->TreeChildren(kTree, group).at(0);
    const bool expanded = form_->IsExpanded(kTree, group);
    form_->ChooseTreeItem(kTree, contact);
    EXPECT_EQ(form_->IsExpanded(kTree, group), expanded);
}

TEST_F(ContactsTreeTest, AnItemWithoutAnEntryIsIgnoredByTheDoubleClick) {
    tree_->Load();
    tree_->AddContactItem(0, "不在表中", 0, "", 987654);
    form_->DoubleClickTreeItem(kTree, ItemOf("987654"));
    EXPECT_TRUE(host_.opened.empty());
}

}  // namespace
