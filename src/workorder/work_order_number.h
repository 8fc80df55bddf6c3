// Work order numbers: the twelve digits "%y%m%d%H%M%S" of the local clock when the form opens
// for a new order (130508143005 for 8 May 2013, 14:30:05), stored as text and the key of
// zsv_order. Orders opened in the same second on two computers would get one number; the
// insert then takes the number of the next free second (work_order_store.h).
#pragma once

#include <ctime>
#include <string>

namespace workorder {

// The number of an order opened at `when`, in local time.
std::string WorkOrderNumber(std::time_t when);
// The number of an order opened now.
std::string NewWorkOrderNumber();

// True for twelve digits that read as a date and time "%y%m%d%H%M%S".
bool IsWorkOrderNumber(const std::string& number);

// The number of the second after `number`, across minutes, days, months and years
// (130508143059 → 130508143100); empty for a text that is no work order number.
std::string NextWorkOrderNumber(const std::string& number);

}  // namespace workorder
