// Creating a work order: the row that customer service's "创建工单" inserts into zsv_order, with
// a number no other order has.
#pragma once

#include <string>

namespace workorder {

// The values of a new order as the work order form reads them.
struct NewWorkOrder {
    std::string number;  // the number the form shows (work_order_number.h)
    std::string client;
    std::string sex;
    std::string phone;
    std::string address;
    std::string area;
    std::string bug;              // the fault or sales description
    std::string service_name;     // the customer service person, or the one a manager acts for
    std::string service_id;       // that person's account
    std::string technician_name;  // the technician chosen
    std::string technician_id;    // the technician's account
    std::string serv_kind;   // way of service: "客户送修", "上门维修" or "远程维修"
    std::string manager_id;  // the shop manager's account
};

// The create statement for the order, its texts quoted so that no typed text ends its literal.
std::string CreateOrderSql(const NewWorkOrder& order);

// At most this many numbers are tried for one order.
inline constexpr int kMaxNumberAttempts = 100;

// Inserts the order on CentralDb (connected first when it is not open; left open for the
// caller to close). When its number is taken by an order opened in the same second on another
// computer, the key refuses the row; the order then takes the number of the second after the
// highest number taken from its own on, and is inserted again. Returns the number the order was
// stored under, which the form shows from then on; empty when it was not stored, with the
// reason in `error`.
std::string InsertWorkOrder(const NewWorkOrder& order, std::string& error);

}  // namespace workorder
