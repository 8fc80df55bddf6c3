#include "net/wire_text.h"

#include <gtest/gtest.h>

#include "common/gbk.h"

namespace {

using net::PadRight;
using net::WireText;

TEST(PadRight, CountsGbkBytes) {
    struct Case {
        std::string text;
        std::size_t width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"10001", 9, "10001    "},
        {"", 5, "     "},
        {"123456789", 9, "123456789"},
        {"1234567890", 9, "1234567890"},  // longer texts are never cut
        // Three Chinese characters are 9 bytes of UTF-8 but 6 on the wire: 3 blanks follow.
        {"客服一", 9, "客服一   "},
        {"192.168.1.20", 15, "192.168.1.20   "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PadRight(c.text, c.width), c.expected) << c.text;
        EXPECT_EQ(common::Utf8ToGbk(PadRight(c.text, c.width)).size(),
                  std::max(c.width, common::GbkLength(c.text)))
            << c.text;
    }
}

TEST(WireText, CutsFieldsByGbkPositions) {
    // An acceptance as a Windows peer sends it: code, account(9), address(15), then Chinese.
    const std::string tail = "张三 [10002] 同意了您的联系人申请，并加您为好友。";
    const WireText text =
        WireText::FromUtf8("2" + PadRight("10002", 9) + PadRight("192.168.1.20", 15) + tail);
    EXPECT_EQ(text.bytes().substr(0, 25), "210002    192.168.1.20   ");
    EXPECT_EQ(text.Field(1, 9), "10002");
    EXPECT_EQ(text.Field(10, 15), "192.168.1.20");
    EXPECT_EQ(text.Tail(25), tail);
    EXPECT_TRUE(text.StartsWith("2"));
    EXPECT_FALSE(text.StartsWith("21x"));

    // A chat text whose Chinese follows the account field directly.
    const WireText chat = WireText::FromUtf8("0" + PadRight("10002", 9) + "你好");
    EXPECT_EQ(chat.size(), 14u);
    EXPECT_EQ(chat.Tail(10), "你好");
}

TEST(WireText, ShortTextsGiveShortOrEmptyFields) {
    const WireText text("9010");
    EXPECT_EQ(text.Field(2, 9), "10");
    EXPECT_EQ(text.Field(11, 15), "");
    EXPECT_EQ(text.Tail(4), "");
    EXPECT_EQ(text.Tail(40), "");
    EXPECT_EQ(text.At(3), '0');
    EXPECT_EQ(text.At(4), '\0');
    EXPECT_EQ(WireText().Field(0, 1), "");
}

TEST(WireText, BytesThatAreNotGbkNeverBreakAField) {
    const std::string replacement = "\xEF\xBF\xBD";
    // A field boundary through the middle of a two-byte character, a lone lead byte, and
    // bytes no GBK sequence starts with.
    const WireText halves("\xC4\xE3\xBA\xC3");  // 你好
    EXPECT_EQ(halves.Field(0, 3).substr(0, 3), "你");
    EXPECT_NE(halves.Field(0, 3).find(replacement), std::string::npos);
    EXPECT_NE(WireText("0\x81").Tail(1).find(replacement), std::string::npos);
    EXPECT_NE(WireText("\xFF\xFF\x80").Utf8().find(replacement), std::string::npos);
}

}  // namespace
