#include "common/text.h"

#include <gtest/gtest.h>

#include "common/gbk.h"

namespace {

TEST(Text, TrimsAndChecksNumbers) {
    EXPECT_EQ(common::TrimRight("ab  \r\n"), "ab");
    EXPECT_EQ(common::Trim("  100001 "), "100001");
    EXPECT_TRUE(common::IsDigits("0123"));
    EXPECT_FALSE(common::IsDigits(""));
    EXPECT_FALSE(common::IsDigits("12a"));
    EXPECT_TRUE(common::IsDecimal("-1.5"));
    EXPECT_FALSE(common::IsDecimal("1.2.3"));
    EXPECT_FALSE(common::IsDecimal("."));
    EXPECT_EQ(common::ToInt(" 42abc"), 42);
    EXPECT_EQ(common::ToInt("x"), 0);
    EXPECT_EQ(common::ToInt("99999999999999999999999"), common::ToInt("9999999999999999999"));
    EXPECT_DOUBLE_EQ(common::ToDouble("1.71"), 1.71);
}

TEST(Text, ShortestNumberNeverFollowsTheLocale) {
    EXPECT_EQ(common::ShortestNumber(0.0), "0");
    EXPECT_EQ(common::ShortestNumber(-0.0), "0");
    EXPECT_EQ(common::ShortestNumber(10.0), "10");
    EXPECT_EQ(common::ShortestNumber(0.1), "0.1");
    EXPECT_EQ(common::ShortestNumber(22.5), "22.5");
    EXPECT_EQ(common::ShortestNumber(-3.25), "-3.25");
}

TEST(Gbk, ConvertsBothWaysAndCountsGbkBytes) {
    const std::string text = "提示：您有新的维修任务。";
    const std::string gbk = common::Utf8ToGbk(text);
    EXPECT_EQ(gbk.size(), 24u);
    EXPECT_EQ(common::GbkLength(text), 24u);
    EXPECT_EQ(common::GbkToUtf8(gbk), text);
    EXPECT_EQ(common::Utf8ToGbk("abc"), "abc");
}

TEST(Gbk, InvalidBytesNeverFail) {
    EXPECT_EQ(common::GbkToUtf8("a\xff"
                                "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(common::GbkToUtf8("\xb0"), "\xEF\xBF\xBD");  // a lead byte at the end
    EXPECT_EQ(common::Utf8ToGbk("a\xC3"), "a?");
    EXPECT_EQ(common::Utf8ToGbk("😀x"), "?x");  // no GBK form
}

TEST(Gbk, OrdersChineseAsGbkDoes) {
    // 阿 (a) < 张 (zhang) in GBK, though not in Unicode code point order of every pair.
    EXPECT_LT(common::CompareGbk("阿", "张"), 0);
    EXPECT_LT(common::CompareGbk("李", "王"), 0);
    EXPECT_EQ(common::CompareGbk("王", "王"), 0);
}

}  // namespace
