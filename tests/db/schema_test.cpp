// The column types and defaults of both stores, proven with the statements that depend on them,
// written as the windows write them.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "db/scramble.h"
#include "db/stores.h"
#include "support/stores_fixture.h"

namespace {

using testing_support::CentralEnginesTest;
using testing_support::StoresTest;

const std::string kSep = db::kSeparator;

std::string Join(const std::vector<std::string>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i > 0 ? kSep : "") + values[i];
    }
    return text;
}

class SchemaTest : public CentralEnginesTest {
  protected:
    // The manager registration's statements: the row without qq, then qq = id, then the number
    // read back as the newest row of this identity card, telephone and computer.
    std::string RegisterManager(const std::string& name) {
        CentralExecute(
            "insert into zsv_quser (passwordd,name,idcard,sex,telephone,"
            "regip,lastip,job,regdate,logins,score,manager_id,manager,u_kind,age,approve,address,"
            "company_name,pic,TiCheng_S,TiCheng_E,TiCheng_T,JiBen_S,JiBen_E,JiBen_T,c_kind) "
            "values ('pw','" +
            name +
            "','110101199001011234','男','13900000000','192.168.1.5','192.168.1.5','经理',"
            "getdate(),0,0,100000,'青禾',1,0,1,'文化路1号','好修店',0,0,0,0,0,0,0,'电脑维修')");
        CentralExecute(
            "update zsv_quser set qq = id where idcard = '110101199001011234' and telephone = "
            "'13900000000' and regip = '192.168.1.5'");
        const auto rows = CentralRows(
            "select qq from zsv_quser where idcard = '110101199001011234' and telephone = "
            "'13900000000' and regip = '192.168.1.5' order by id desc",
            {"qq"});
        return rows.empty() ? "" : rows.front();
    }

    // Runs a statement and tells how many rows it changed; -1 when it failed.
    long long Changed(const std::string& sql) {
        db::ScopedStore store(db::CADOEx::Store::Central);
        if (!store.IsOpen() || !store.Db().Execute(sql)) {
            return -1;
        }
        return store.Db().RowsAffected();
    }

    // A dispatched work order as customer service creates it, account numbers in quotes.
    void CreateOrder(const std::string& number, const std::string& service,
                     const std::string& technician, const std::string& manager) {
        CentralExecute(
            "insert into zsv_order ( WorkOrder, Client,Sex,Phone,Address,Area,Bug,Service,"
            "Technician,Service_id,Technician_id,Time_accept,[State],serv_kind,manager_id) "
            "values('" +
            number + "','赵先生','男','13812345678','解放路5号','','电脑不开机','李娜','王强','" +
            service + "','" + technician + "',getdate(),'创建工单','客户送修'," + manager + ")");
    }
};

TEST_P(SchemaTest, AccountsAreNumberedByTheIdentityFrom100001) {
    EXPECT_EQ(CentralRows("select qq,name from zsv_quser where qq = 100000", {"qq", "name"}),
              std::vector<std::string>{"100000" + kSep + "青禾"});

    CentralExecute(
        "insert into zsv_quser (passwordd,name,idcard,telephone,regip) values "
        "('pw','未编号','1','2','3')");
    // Until qq = id runs, the new row has no number.
    EXPECT_EQ(CentralRows("select qq from zsv_quser where idcard = '1'", {"qq"}),
              std::vector<std::string>{" "});

    EXPECT_EQ(RegisterManager("张伟"), "100002");
    // A second registration from the same computer with the same data: the newest row gives
    // the number, and the first keeps its own.
    EXPECT_EQ(RegisterManager("张伟"), "100003");
    EXPECT_EQ(CentralRows("select qq from zsv_quser where name = '张伟' order by id", {"qq"}),
              (std::vector<std::string>{"100002", "100003"}));
}

TEST_P(SchemaTest, AccountNumbersNeverGrowBeyondNineDigits) {
    EXPECT_EQ(Changed("insert into zsv_quser (id,name) values (999999999,'最后')"), 1);
    EXPECT_EQ(Changed("insert into zsv_quser (name) values ('溢出')"), -1);
    EXPECT_EQ(Changed("insert into zsv_quser (id,name) values (1000000000,'溢出')"), -1);
}

TEST_P(SchemaTest, ANewWorkOrderHoldsNullFlagsRatingsAndSettlement) {
    const std::string manager = AddManager("张伟");
    const std::string service = AddAccount("李娜", "2", "1", manager);
    const std::string technician = AddAccount("王强", "4", "1", manager);
    CreateOrder("130508143005", service, technician, manager);

    EXPECT_EQ(CentralRows("SELECT Affirm_service,Affirm_enginner,Affirm_technician,PJ_client,"
                          "Time_finish,Enginner_id from zsv_order where WorkOrder = '130508143005'",
                          {"Affirm_service", "Affirm_enginner", "Affirm_technician", "PJ_client",
                           "Time_finish", "Enginner_id"}),
              std::vector<std::string>{Join({" ", " ", " ", " ", " ", " "})});
    EXPECT_EQ(
        CentralRows("select worker_salary,PJ_s2e,PJ_s2t,PJ_e2s,PJ_e2t,PJ_t2s,PJ_t2e from "
                    "zsv_order",
                    {"worker_salary", "PJ_s2e", "PJ_s2t", "PJ_e2s", "PJ_e2t", "PJ_t2s", "PJ_t2e"}),
        std::vector<std::string>{Join({" ", " ", " ", " ", " ", " ", " "})});

    // The technician's rating refresh counts only ratings that were given.
    const std::string x = technician;
    const std::string refresh =
        "select(select count(PJ_s2t) from zsv_order where (Technician_id = " + x +
        " and PJ_s2t = '好评') or (Enginner_id = " + x +
        " and PJ_s2e = '好评')) +(select count(PJ_e2t) from zsv_order where (Technician_id = " + x +
        " and PJ_e2t = '好评') or (Enginner_id = " + x +
        " and PJ_t2e = '好评')) as RevOk,(select count(PJ_s2t) from zsv_order where "
        "Technician_id = " +
        x + " or Enginner_id = " + x +
        " ) +(select count(PJ_e2t) from zsv_order where Technician_id = " + x +
        " or Enginner_id = " + x + " ) as RevAll";
    EXPECT_EQ(CentralRows(refresh, {"RevOk", "RevAll"}),
              std::vector<std::string>{"0" + kSep + "0"});
    // Customer service rates the technician; the order number is written bare.
    EXPECT_EQ(Changed("update zsv_order set PJ_comment = '修得快', PJ_s2e = '', PJ_s2t = '好评' "
                      "where WorkOrder = 130508143005"),
              1);
    EXPECT_EQ(CentralRows(refresh, {"RevOk", "RevAll"}),
              std::vector<std::string>{"1" + kSep + "1"});
}

TEST_P(SchemaTest, AccountsWrittenInQuotesAreStoredAndComparedAsNumbers) {
    const std::string manager = AddManager("张伟");
    const std::string service = AddAccount("李娜", "2", "1", manager);
    const std::string technician = AddAccount("王强", "4", "1", manager);
    CreateOrder("130508143005", service, technician, manager);

    EXPECT_EQ(CentralRows("select WorkOrder from zsv_order where Service_id = " + service +
                              " and Technician_id = " + technician,
                          {"WorkOrder"}),
              std::vector<std::string>{"130508143005"});
    // Stored as numbers, accounts order as numbers: 99999 before 100002.
    CreateOrder("130508143006", "99999", technician, manager);
    EXPECT_EQ(CentralRows("select Service_id from zsv_order order by Service_id", {"Service_id"}),
              (std::vector<std::string>{"99999", service}));
    // The refusal of a contact request names the requester in quotes.
    Link(technician, service, 2);
    EXPECT_EQ(Changed("delete from zsv_friend where qq = '" + technician +
                      "' and friendqq = " + service + " and black = 2"),
              1);
}

TEST_P(SchemaTest, WorkOrderNumbersMatchWhenWrittenBare) {
    const std::string manager = AddManager("张伟");
    CreateOrder("130508143005", manager, manager, manager);
    CreateOrder("130508143006", manager, manager, manager);
    CentralExecute(
        "insert into zsv_parts_order (name, model, id_parts, id_order, FixPrice, SellingPrice,"
        "count,total_buy,total_sell,profit,manager_id,manager,storage,technician,status,"
        "order_date,storage_id,total_rate) values ('内存条','DDR4 8G',1,'130508143005',30,50,2,"
        "60,100,40," +
        manager + ",'张伟','陈静','王强','技术员出售',getdate(),1,10.00)");

    EXPECT_EQ(Changed("update zsv_order set worker_salary = '核算提成' where workorder = "
                      "130508143005"),
              1);
    EXPECT_EQ(CentralRows("select sum(total_buy) as buy, sum(total_sell) as selling, "
                          "sum(total_sell-total_buy) as profit  from zsv_parts_order where status "
                          "<> '客户退货' and id_order = 130508143005",
                          {"selling", "buy", "profit"}),
              std::vector<std::string>{Join({"100", "60", "40"})});
    // The key refuses a second order with the same number instead of merging the two.
    EXPECT_EQ(Changed("insert into zsv_order (WorkOrder, Client) values ('130508143005', '重号')"),
              -1);
}

TEST_P(SchemaTest, TextEqualityIgnoresTrailingBlanksOnly) {
    const std::string manager = AddManager("张伟", "secret");
    CreateOrder("130508143005", manager, manager, manager);
    struct Case {
        std::string sql;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"select qq from zsv_quser where qq = " + manager + " and passwordd = 'secret   '",
         {manager}},
        {"select qq from zsv_quser where name = '张伟 '", {manager}},
        {"select qq from zsv_quser where qq = '" + manager + "   '", {manager}},
        {"select WorkOrder as qq from zsv_order where State = '创建工单  '", {"130508143005"}},
        {"select WorkOrder as qq from zsv_order where State <> '创建工单 '", {}},
        {"select qq from zsv_quser where name = ' 张伟'", {}},
        {"select qq from zsv_quser where qq = " + manager + " and passwordd = 'Secret'", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentralRows(c.sql, {"qq"}), c.rows) << c.sql;
    }
}

TEST_P(SchemaTest, ChineseNamesSortInGbkOrder) {
    const std::string manager = AddManager("经理");
    for (const char* name : {"张伟", "李娜", "王强", "陈静", "刘洋"}) {
        AddAccount(name, "4", "1", manager);
    }
    EXPECT_EQ(
        CentralRows("select name from zsv_quser where manager_id = " + manager + " order by name",
                    {"name"}),
        (std::vector<std::string>{"陈静", "李娜", "刘洋", "王强", "张伟"}));
}

TEST_P(SchemaTest, MoneyAndRatesReadBackInTheirShortestFormAndDivideExactly) {
    const std::string manager = AddManager("张伟");
    // The wage standard as the payroll window writes it ("%f" fractions, typed wages).
    CentralExecute(
        "update zsv_quser set TiCheng_S=0.050000, TiCheng_E=0.100000, TiCheng_T=0.200000, "
        "JiBen_S=2000, JiBen_E=1800.5, JiBen_T=0 where qq = " +
        manager);
    EXPECT_EQ(CentralRows("select TiCheng_S,TiCheng_E,TiCheng_T,JiBen_S,JiBen_E,JiBen_T,TiCheng_M "
                          "from zsv_quser where qq = " +
                              manager,
                          {"TiCheng_S", "TiCheng_E", "TiCheng_T", "JiBen_S", "JiBen_E", "JiBen_t",
                           "TiCheng_M"}),
              std::vector<std::string>{Join({"0.05", "0.1", "0.2", "2000", "1800.5", "0", "0"})});

    // Batches priced by the manager; the commission base of a piece is a real quotient.
    for (const char* price : {"55", "50"}) {
        CentralExecute(
            "insert into zsv_parts_price (name,model,count,count_yu,manager_id,manager,"
            "storage_id,storage,status,place_code)values ('硬盘','1T',10,10," +
            manager + ",'张伟',1,'陈静','申报','A1')");
        CentralExecute("update zsv_parts_price set RatePrice = 10, FixPrice = 30, SellingPrice = " +
                       std::string(price) +
                       ", status = '确认' where id = (select max(id) from zsv_parts_price)");
    }
    EXPECT_EQ(CentralRows("select SellingPrice * RatePrice / 100 as TiCheng, FixPrice from "
                          "zsv_parts_price order by id",
                          {"TiCheng", "FixPrice"}),
              (std::vector<std::string>{"5.5" + kSep + "30", "5" + kSep + "30"}));

    // Settlement: P = repair fee + the sales' commission bases, and the commission rows.
    CreateOrder("130508143005", manager, manager, manager);
    CentralExecute("update zsv_order set Charge_upkeep = 200 where WorkOrder = '130508143005'");
    CentralExecute(
        "insert into zsv_parts_order (id_order,count,total_sell,total_rate,status) values "
        "('130508143005',2,100,10.00,'财务收款')");
    EXPECT_EQ(CentralRows("select Charge_upkeep + ( select sum(total_rate) as parts_profit from "
                          "zsv_parts_order where id_order = '130508143005' and status <> "
                          "'客户退货' ) as total_profit from zsv_order where WorkOrder = "
                          "'130508143005'",
                          {"total_profit"}),
              std::vector<std::string>{"210"});
    CentralExecute(
        "insert into zsv_money (order_id,order_state,money_all,money_rate,money_comment,"
        "money_income,money_state,money_getout,money_time,qq,qqname,manager_id) values "
        "('130508143005','应发工资',210,0.300000,'独立工单提成',63.000000,'应发工资',0,getdate()," +
        manager + ",'张伟'," + manager + ")");
    EXPECT_EQ(CentralRows("select money_all,money_rate,money_income,money_getout from zsv_money",
                          {"money_all", "money_rate", "money_income", "money_getout"}),
              std::vector<std::string>{Join({"210", "0.3", "63", "0"})});
}

TEST_P(SchemaTest, ANewAccountStartsLoggedOutWithCountersAtZero) {
    // The creating windows write the computer's address into lastip; the port stays empty.
    const std::string manager = AddManager("张伟");
    EXPECT_EQ(CentralRows("select logins,online,lastip,lastport,qlock,pj_good,pj_rate,Port_3389,"
                          "department from zsv_quser where qq = " +
                              manager,
                          {"logins", "online", "lastip", "lastport", "qlock", "pj_good", "pj_rate",
                           "Port_3389", "department"}),
              std::vector<std::string>{Join({"0", "3", "127.0.0.1", "", "0", "0", "0", "0", ""})});

    CentralExecute(
        "update zsv_quser set logins = logins+1, lasttime=getdate(), online= 1 where "
        "qq=" +
        manager);
    const auto rows = CentralRows("select logins,lasttime from zsv_quser where qq = " + manager,
                                  {"logins", "lasttime"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(db::CADOEx::GetField(rows[0], 1, kSep), "1");
    EXPECT_TRUE(std::regex_match(db::CADOEx::GetField(rows[0], 2, kSep),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << rows[0];
}

TEST_P(SchemaTest, TheLogOutCompletesOnlyTheOpenLogInRow) {
    const std::string qq = AddManager("张伟");
    const std::string login =
        "insert into zsv_login (qq,ip,begintime) values ( " + qq + ",'127.0.0.1', getdate() )";
    const std::string logout =
        "update zsv_login set endtime = getdate() where qq = " + qq + " and endtime is null";
    CentralExecute(login);
    EXPECT_EQ(Changed(logout), 1);
    CentralExecute(login);
    EXPECT_EQ(Changed(logout), 1);
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_login where endtime is not null and "
                          "onlinetime is null",
                          {"n"}),
              std::vector<std::string>{"2"});
}

// The local store is a SQLite file whatever engine serves the central database.
using LocalSchemaTest = StoresTest;

TEST_F(LocalSchemaTest, ALoginRowWithOnlyTheAccountMeansNothingRememberedAndNoFailures) {
    // Manager registration writes only qq.
    LocalExecute("insert into login ( qq) values ( 100001)");
    EXPECT_EQ(LocalRows("select qq,passwordd,remember,hide from login where qq = 100001",
                        {"qq", "passwordd", "remember", "hide"}),
              std::vector<std::string>{Join({"100001", "", "0", "0"})});
    EXPECT_EQ(LocalRows("select f_times,f_day from login where qq = 100001", {"f_times", "f_day"}),
              std::vector<std::string>{Join({"0", "0"})});
    // A failed login on the 8th counts from 0.
    LocalExecute("update login set f_times = f_times +1, f_day = 8 where qq =100001");
    EXPECT_EQ(LocalRows("select f_times,f_day from login where qq = 100001", {"f_times", "f_day"}),
              std::vector<std::string>{Join({"1", "8"})});
}

TEST_F(LocalSchemaTest, TheLocalSettingsAreOneRowWithIdOne) {
    const auto address = LocalRows("select CurrentIp from about where id = 1", {"CurrentIp"});
    ASSERT_EQ(address.size(), 1u);
    EXPECT_EQ(db::UnscrambleAddress(address[0]), "127.0.0.1");
    EXPECT_EQ(LocalRows("select lastqq from about", {"lastqq"}), std::vector<std::string>{""});
    // The updates carry no condition.
    LocalExecute("update about set lastqq = '100001'");
    EXPECT_EQ(LocalRows("select lastqq from about", {"lastqq"}),
              std::vector<std::string>{"100001"});
}

TEST_P(SchemaTest, QueuedChatLinesUploadToTheArchive) {
    // The chat window queues a sent line without groupid or groupname.
    LocalExecute(
        "insert into zsv_dialog (source,target,sourcename,targetname,speak,speakdate,sourceip,"
        "targetip,affirm,upload) values( 100001,100002,'张伟','李娜','明天来店里','2024-5-8 9:3:5',"
        "'192.168.1.5','192.168.1.6',1,0)");
    const std::vector<std::string> columns = {"groupid",  "groupname", "source",     "sourcename",
                                              "sourceip", "target",    "targetname", "targetip",
                                              "speak",    "speakdate"};
    const auto rows = LocalRows("select * from zsv_dialog where upload = 0 ", columns);
    ASSERT_EQ(rows.size(), 1u);
    auto field = [&](int n) { return db::CADOEx::GetField(rows[0], n, kSep); };
    EXPECT_EQ(field(1), "0");
    // The upload writes the numbers bare and the texts in quotes, as read.
    CentralExecute(
        "insert into zsv_dialogUpload (groupid,groupname,source,sourcename,sourceip,"
        "target,targetname,targetip,speak,speakdate,upload) values ( " +
        field(1) + ",'" + field(2) + "'," + field(3) + ",'" + field(4) + "','" + field(5) + "'," +
        field(6) + ",'" + field(7) + "','" + field(8) + "','" + field(9) + "','" + field(10) +
        "',1)");
    EXPECT_EQ(CentralRows("select source,speak,speakdate from zsv_dialogUpload",
                          {"source", "speak", "speakdate"}),
              std::vector<std::string>{Join({"100001", "明天来店里", "2024-5-8 9:3:5"})});
}

TEST_P(SchemaTest, AnUpdateFileWithoutDeletionFlagMatchesTheInstalledList) {
    CentralExecute(
        "insert into zsv_update (FileId,FileName,FileVersion,FileUrl) values "
        "(1,'qitai','1.8','http://127.0.0.1/qitai/qitai')");
    const auto files = CentralRows("select * from zsv_update",
                                   {"FileId", "FileName", "FileVersion", "FileUrl", "FileDel"});
    ASSERT_EQ(files.size(), 1u);
    const std::string flag = db::CADOEx::GetField(files[0], 5, kSep);
    EXPECT_EQ(flag, "0");
    // The update check writes the flag bare into its look-up of the installed files.
    LocalExecute("insert into qupdate (FileName,FileVersion) values ('qitai','1.8')");
    EXPECT_EQ(LocalRows("select FileName from qupdate where FileName = 'qitai' and FileVersion = "
                        "'1.8' and FileDel = " +
                            flag,
                        {"FileName"}),
              std::vector<std::string>{"qitai"});
}

INSTANTIATE_TEST_SUITE_P(Engines, SchemaTest,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
