#include "db/scramble.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordRotation, MovesTheLastByteToTheFront) {
    EXPECT_EQ(db::RotatePassword(""), "");
    EXPECT_EQ(db::RotatePassword("a"), "a");
    EXPECT_EQ(db::RotatePassword("ab"), "ba");
    EXPECT_EQ(db::RotatePassword("abc123"), "3abc12");
    EXPECT_EQ(db::UnrotatePassword("3abc12"), "abc123");
    // Bytes, not characters: a two-byte character is split.
    const std::string chinese = "密";
    EXPECT_EQ(db::UnrotatePassword(db::RotatePassword(chinese)), chinese);
    EXPECT_NE(db::RotatePassword(chinese), chinese);
}

TEST(AddressScrambling, ProducesThreeAlphabetDigitsPerByte) {
    // '1' ^ '2' ^ 0x9E = 0x9D = 157 -> A[1] A[5] A[7] = "341"
    // '2' ^ 0 ^ 0x9E = 0xAC = 172 -> A[1] A[7] A[2] = "310"
    EXPECT_EQ(db::ScrambleAddress("12"), "341310");
    EXPECT_EQ(db::UnscrambleAddress("341310"), "12");
    EXPECT_EQ(db::ScrambleAddress(""), "");
    EXPECT_EQ(db::UnscrambleAddress(""), "");
}

TEST(AddressScrambling, RoundTripsAnyTextWithoutZeroBytes) {
    for (const std::string text : {"127.0.0.1", "192.168.1.200", "服务器", "a", "x y z"}) {
        const std::string scrambled = db::ScrambleAddress(text);
        EXPECT_EQ(scrambled.size(), text.size() * 3);
        EXPECT_EQ(db::UnscrambleAddress(scrambled), text);
    }
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(db::UnscrambleAddress(db::ScrambleAddress(all)), all);
}

TEST(AddressScrambling, UnscramblingJunkIsSafe) {
    for (const std::string junk : {"x", "73", "abc!", "--", "7302948156730294815"}) {
        (void)db::UnscrambleAddress(junk);
    }
    EXPECT_LE(db::UnscrambleAddress(std::string(5000, '7')).size(), 999u);
}

}  // namespace
