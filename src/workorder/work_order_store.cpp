#include "workorder/work_order_store.h"

#include <vector>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/sql_text.h"
#include "workorder/work_order_number.h"

namespace workorder {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + db::SqlText(text) + "'";
}

// The highest number taken from `number` on; empty when `number` itself is free (or the
// database cannot tell).
std::string HighestTakenFrom(const std::string& number) {
    std::vector<std::string> rows;
    if (!CentralDb.QueryColumn("select top 1 WorkOrder from zsv_order where WorkOrder >= " +
                                   Quoted(number) + " order by WorkOrder desc",
                               "WorkOrder", rows) ||
        rows.empty()) {
        return "";
    }
    return common::TrimRight(rows.front());
}

}  // namespace

std::string CreateOrderSql(const NewWorkOrder& order) {
    return "insert into zsv_order ( WorkOrder, Client,Sex,Phone,Address,Area,Bug,Service,"
           "Technician,Service_id,Technician_id,Time_accept,[State],serv_kind,manager_id) "
           "values(" +
           Quoted(order.number) + "," + Quoted(order.client) + "," + Quoted(order.sex) + "," +
           Quoted(order.phone) + "," + Quoted(order.address) + "," + Quoted(order.area) + "," +
           Quoted(order.bug) + "," + Quoted(order.service_name) + "," +
           Quoted(order.technician_name) + "," + Quoted(order.service_id) + "," +
           Quoted(order.technician_id) + ",getdate(),'创建工单'," + Quoted(order.serv_kind) + "," +
           db::SqlInteger(order.manager_id) + ")";
}

std::string InsertWorkOrder(const NewWorkOrder& order, std::string& error) {
    if (!IsWorkOrderNumber(order.number)) {
        error = "\"" + order.number + "\" is not a work order number";
        return "";
    }
    if (!common::IsDigits(order.manager_id)) {
        error = "the manager's account \"" + order.manager_id + "\" is not a number";
        return "";
    }
    NewWorkOrder attempt = order;
    for (int tried = 0; tried < kMaxNumberAttempts; ++tried) {
        if (!CentralDb.IsOpen()) {
            CentralDb.ConnectCentral();
        }
        if (CentralDb.Execute(CreateOrderSql(attempt))) {
            return attempt.number;
        }
        const std::string refusal = CentralDb.LastError();
        const std::string highest = HighestTakenFrom(attempt.number);
        if (highest.empty()) {
            error = "cannot create the work order " + attempt.number + ": " + refusal;
            return "";
        }
        attempt.number = NextWorkOrderNumber(highest);
        if (attempt.number.empty()) {
            error = "the work order number " + highest + " has no successor";
            return "";
        }
    }
    error = "no free work order number after " + std::to_string(kMaxNumberAttempts) + " attempts";
    return "";
}

}  // namespace workorder
