#include "workorder/work_order_number.h"

#include "common/text.h"

namespace workorder {

namespace {

// The calendar time the digits name, as the digits stand (no time zone: the arithmetic works
// on the clock's own reading). Years are 2000 + yy.
bool ParseNumber(const std::string& number, std::tm& out) {
    if (number.size() != 12 || !common::IsDigits(number)) {
        return false;
    }
    const auto two = [&number](std::size_t at) {
        return (number[at] - '0') * 10 + (number[at + 1] - '0');
    };
    out = std::tm{};
    out.tm_year = 100 + two(0);
    out.tm_mon = two(2) - 1;
    out.tm_mday = two(4);
    out.tm_hour = two(6);
    out.tm_min = two(8);
    out.tm_sec = two(10);
    std::tm normalised = out;
    timegm(&normalised);
    // A date that does not exist (month 13, 31 April, second 60) moves when normalised.
    return normalised.tm_year == out.tm_year && normalised.tm_mon == out.tm_mon &&
           normalised.tm_mday == out.tm_mday && normalised.tm_hour == out.tm_hour &&
           normalised.tm_min == out.tm_min && normalised.tm_sec == out.tm_sec;
}

std::string Format(const std::tm& tm) {
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%y%m%d%H%M%S", &tm);
    return buffer;
}

}  // namespace

std::string WorkOrderNumber(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return Format(local);
}

std::string NewWorkOrderNumber() {
    return WorkOrderNumber(std::time(nullptr));
}

bool IsWorkOrderNumber(const std::string& number) {
    std::tm tm{};
    return ParseNumber(number, tm);
}

std::string NextWorkOrderNumber(const std::string& number) {
    std::tm tm{};
    if (!ParseNumber(number, tm)) {
        return "";
    }
    const std::time_t next = timegm(&tm) + 1;
    std::tm out{};
    gmtime_r(&next, &out);
    return Format(out);
}

}  // namespace workorder
