// Creating work orders on every engine: the form's values in the row, and a number no other
// order has.
#include "workorder/work_order_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/cadoex.h"
#include "db/central_schema.h"
#include "db/installation.h"
#include "support/stores_fixture.h"

namespace {

const std::string kSep = db::kSeparator;

class WorkOrderStoreTest : public testing_support::CentralEnginesTest {
  protected:
    void SetUp() override {
        CentralEnginesTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) {
            return;
        }
        manager_ = AddManager("张伟");
        service_ = AddAccount("李娜", "2", "1", manager_);
        technician_ = AddAccount("王强", "4", "1", manager_);
    }

    workorder::NewWorkOrder Order(const std::string& number) const {
        workorder::NewWorkOrder order;
        order.number = number;
        order.client = "赵先生";
        order.sex = "男";
        order.phone = "13812345678";
        order.address = "解放路5号";
        order.bug = "电脑不开机";
        order.service_name = "李娜";
        order.service_id = service_;
        order.technician_name = "王强";
        order.technician_id = technician_;
        order.serv_kind = "客户送修";
        order.manager_id = manager_;
        return order;
    }

    std::string Insert(const workorder::NewWorkOrder& order) {
        std::string error;
        const std::string number = workorder::InsertWorkOrder(order, error);
        EXPECT_FALSE(number.empty()) << error;
        return number;
    }

    std::vector<std::string> Numbers() {
        return CentralRows("select WorkOrder from zsv_order order by WorkOrder", {"WorkOrder"});
    }

    std::string manager_;
    std::string service_;
    std::string technician_;
};

TEST_P(WorkOrderStoreTest, TheRowHoldsTheFormsValuesAsADispatchedOrder) {
    EXPECT_EQ(Insert(Order("130508143005")), "130508143005");
    EXPECT_EQ(CentralRows("select WorkOrder,Client,Sex,Phone,Address,Area,Bug,Service,Technician,"
                          "Service_id,Technician_id,[State],serv_kind,manager_id from zsv_order",
                          {"WorkOrder", "Client", "Sex", "Phone", "Address", "Area", "Bug",
                           "Service", "Technician", "Service_id", "Technician_id", "State",
                           "serv_kind", "manager_id"}),
              std::vector<std::string>{"130508143005" + kSep + "赵先生" + kSep + "男" + kSep +
                                       "13812345678" + kSep + "解放路5号" + kSep + "" + kSep +
                                       "电脑不开机" + kSep + "李娜" + kSep + "王强" + kSep +
                                       service_ + kSep + technician_ + kSep + "创建工单" + kSep +
                                       "客户送修" + kSep + manager_});
    // Dispatched: created now, nothing accepted, confirmed or finished yet.
    EXPECT_EQ(CentralRows("select count(*) as n from zsv_order where Time_accept is not null and "
                          "Affirm_technician is null and Affirm_enginner is null and "
                          "Affirm_service is null and Time_finish is null",
                          {"n"}),
              std::vector<std::string>{"1"});
}

TEST_P(WorkOrderStoreTest, ATakenNumberGivesTheSecondAfterTheHighestTakenFromIt) {
    struct Case {
        std::string shown;
        std::string stored;
    };
    // Each insert sees the orders of the ones before it.
    const std::vector<Case> cases = {
        {"130508143005", "130508143005"},
        {"130508143005", "130508143006"},
        {"130508143005", "130508143007"},
        {"130508143059", "130508143059"},
        {"130508143059", "130508143100"},
        {"130508143010", "130508143010"},
        // 143007 is free, but a burst took numbers ahead of it: the order goes after them.
        {"130508143006", "130508143101"},
        {"131231235959", "131231235959"},
        {"131231235959", "140101000000"},
    };
    std::vector<std::string> stored;
    for (const Case& c : cases) {
        EXPECT_EQ(Insert(Order(c.shown)), c.stored) << c.shown;
        stored.push_back(c.stored);
    }
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(Numbers(), stored);
    EXPECT_TRUE(shell_.messages().empty());
}

TEST_P(WorkOrderStoreTest, TypedTextsAreStoredAsTyped) {
    workorder::NewWorkOrder order = Order("130508143005");
    order.client = "O'Brien";
    order.address = "C:\\'); delete from zsv_order; --";
    order.bug = "第一行\r\n第二行 ''";
    EXPECT_EQ(Insert(order), "130508143005");
    EXPECT_EQ(CentralRows("select Client,Address,Bug from zsv_order", {"Client", "Address", "Bug"}),
              std::vector<std::string>{order.client + kSep + order.address + kSep + order.bug});
}

TEST_P(WorkOrderStoreTest, WhatCannotBeAnOrderIsNotInserted) {
    struct Case {
        const char* what;
        workorder::NewWorkOrder order;
    };
    workorder::NewWorkOrder bad_number = Order("13050814300");
    workorder::NewWorkOrder not_a_time = Order("139999999999");
    workorder::NewWorkOrder bad_manager = Order("130508143005");
    bad_manager.manager_id = manager_ + " or 1=1";
    workorder::NewWorkOrder no_manager = Order("130508143005");
    no_manager.manager_id = "";
    const std::vector<Case> cases = {
        {"eleven digits", bad_number},
        {"no date and time", not_a_time},
        {"a manager that is no account", bad_manager},
        {"no manager", no_manager},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(workorder::InsertWorkOrder(c.order, error), "") << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_TRUE(Numbers().empty());
}

TEST_P(WorkOrderStoreTest, AFailureThatIsNoTakenNumberIsReported) {
    const db::Dialect dialect = db::CentralDialect(db::CurrentInstallation());
    const db::TableDef* orders = nullptr;
    for (const db::TableDef& table : db::CentralTables()) {
        if (table.name == "zsv_order") {
            orders = &table;
        }
    }
    ASSERT_NE(orders, nullptr);
    CentralExecute(db::DropTableSql(*orders, dialect));
    std::string error;
    EXPECT_EQ(workorder::InsertWorkOrder(Order("130508143005"), error), "");
    EXPECT_NE(error.find("130508143005"), std::string::npos) << error;
    CentralExecute(db::CreateTableSql(*orders, dialect));
    EXPECT_EQ(Insert(Order("130508143005")), "130508143005");
}

INSTANTIATE_TEST_SUITE_P(Engines, WorkOrderStoreTest,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
