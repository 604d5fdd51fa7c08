#include "Platform/Foundation/TextUtilities.h"

#include <clocale>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace Foundation;

TEST(TextUtilitiesTest, LowercasedLowersASCIILettersOnly)
{
    EXPECT_EQ(lowercased("MacBook Pro M3-MAX"), "macbook pro m3-max");
    EXPECT_EQ(lowercased("\xC3\x84\xC3\x96 ZZ@["), "\xC3\x84\xC3\x96 zz@[");
}

TEST(TextUtilitiesTest, DecimalNumberTakesTheWholeTextOrNothing)
{
    EXPECT_EQ(decimalNumber<std::int64_t>("-42"), -42);
    EXPECT_EQ(decimalNumber<std::int64_t>("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(decimalNumber<int>("17"), 17);
    EXPECT_EQ(decimalNumber<double>("3.25"), 3.25);
    EXPECT_EQ(decimalNumber<double>("1e3"), 1000.0);
    EXPECT_EQ(decimalNumber<double>("-0.5"), -0.5);

    for (const char* refused : {"", " 1", "1 ", "12a", "+1", "0x10", "1,5", "9223372036854775808"})
        EXPECT_FALSE(decimalNumber<std::int64_t>(refused)) << refused;
    for (const char* refused : {"", "1.5.", "inf", "nan", "1e999", "3,5", ".", "-"})
        EXPECT_FALSE(decimalNumber<double>(refused)) << refused;
    EXPECT_FALSE(decimalNumber<int>("2147483648"));
    EXPECT_FALSE(decimalNumber<std::uint8_t>("-1"));
}

TEST(TextUtilitiesTest, DecimalNumberIgnoresACommaDecimalLocale)
{
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(decimalNumber<double>("2.5"), 2.5);
    EXPECT_FALSE(decimalNumber<double>("2,5"));
    std::setlocale(LC_NUMERIC, "C");
}

struct Decoding {
    std::string bytes;
    std::string text;
};

TEST(TextUtilitiesTest, DecodingReplacesEachBadByte)
{
    const std::string fffd = "\xEF\xBF\xBD";
    const Decoding cases[] = {
        {"plain", "plain"},
        {"\xE5\xB7\xA6\xE9\xA3\x8E\xE6\x89\x87", "\xE5\xB7\xA6\xE9\xA3\x8E\xE6\x89\x87"}, // 左风扇
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"a\xFF"
         "b",
         "a" + fffd + "b"},
        {"\xC0\x80", fffd + fffd}, // overlong
        {"\xED\xA0\x80", fffd + fffd + fffd}, // surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd}, // above U+10FFFF
        {"\xE2\x82", fffd + fffd}, // cut short
        {"\xF4\x80\n", fffd + fffd + "\n"},
        {std::string("x\0y", 3), std::string("x\0y", 3)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodingUTF8(c.bytes), c.text) << c.bytes;
}

TEST(TextUtilitiesTest, CollapsingWhitespaceRepairsThenSqueezes)
{
    // U+3000 ideographic space, U+2028 line separator, U+00A0 no-break space, U+0085 next line.
    EXPECT_EQ(collapsingWhitespace("  Apple \t M1\n\n Pro\xE3\x80\x80 "), "Apple M1 Pro");
    EXPECT_EQ(collapsingWhitespace("a\xE2\x80\xA8\xC2\xA0\xC2\x85"
                                   "b"),
              "a b");
    EXPECT_EQ(collapsingWhitespace("a\xE2\x80\x8B"
                                   "b"),
              "a\xE2\x80\x8B"
              "b"); // zero width is not space
    EXPECT_EQ(collapsingWhitespace("\xFF  x"), "\xEF\xBF\xBD x");
    EXPECT_EQ(collapsingWhitespace(" \r\n "), "");
}

} // namespace
