// Work order numbers: the creating clock's "%y%m%d%H%M%S", and the number of the next second
// that an order takes when its own is taken.
#include "workorder/work_order_number.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

namespace {

TEST(WorkOrderNumber, IsTheLocalClockInTwelveDigits) {
    std::tm local{};
    local.tm_year = 113;
    local.tm_mon = 4;
    local.tm_mday = 8;
    local.tm_hour = 14;
    local.tm_min = 30;
    local.tm_sec = 5;
    local.tm_isdst = -1;
    EXPECT_EQ(workorder::WorkOrderNumber(std::mktime(&local)), "130508143005");
    EXPECT_TRUE(workorder::IsWorkOrderNumber(workorder::NewWorkOrderNumber()));
}

TEST(WorkOrderNumber, TheNextNumberIsTheNextSecond) {
    struct Case {
        std::string number;
        std::string next;  // empty: not a work order number
    };
    const std::vector<Case> cases = {
        {"130508143005", "130508143006"},
        {"130508143059", "130508143100"},
        {"130508145959", "130508150000"},
        {"130531235959", "130601000000"},
        {"131231235959", "140101000000"},
        {"160228235959", "160229000000"},  // a leap year
        {"150228235959", "150301000000"},
        {"13050814300", ""},
        {"1305081430055", ""},
        {"13050814300a", ""},
        {" 30508143005", ""},
        {"131305143005", ""},  // month 13
        {"130431120000", ""},  // 31 April
        {"130508146000", ""},  // minute 60
        {"130508240000", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(workorder::NextWorkOrderNumber(c.number), c.next) << c.number;
        EXPECT_EQ(workorder::IsWorkOrderNumber(c.number), !c.next.empty()) << c.number;
    }
}

}  // namespace
