#include "Platform/Foundation/StringFormat.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using Foundation::StringFormat;
using Argument = StringFormat::Argument;

TEST(StringFormat, FillsEachDirectiveFromItsArgument)
{
    const struct {
        const char* format;
        std::vector<Argument> arguments;
        const char* text;
    } cases[] = {
        {"%@ and %@", {std::string("A"), std::string("B")}, "A and B"},
        {"%@ %@ %@", {std::string("A")}, "A  "},
        {"100%% %@", {std::string("sure")}, "100% sure"},
        {"%@", {std::int64_t(-42)}, "-42"},
        {"%@", {2.5}, "2.5"},
        {"%d|%i|%ld|%lld",
         {std::int64_t(1), std::int64_t(-2), std::int64_t(3), std::int64_t(-9223372036854775807 - 1)},
         "1|-2|3|-9223372036854775808"},
        {"%u %lu %llu",
         {std::uint64_t(7), std::uint64_t(18446744073709551615ull), std::int64_t(-1)},
         "7 18446744073709551615 18446744073709551615"},
        {"%d", {3.99}, "3"},
        {"%d", {-3.99}, "-3"},
        {"%d", {std::nan("")}, "0"},
        {"%d", {1e300}, "9223372036854775807"},
        {"%u", {-5.0}, "0"},
        {"%s!", {std::string("text")}, "text!"},
        {"%f", {1.5}, "1.500000"},
        {"%.1f", {0.05}, "0.1"},
        {"%.2f", {std::int64_t(3)}, "3.00"},
        {"%.0f", {2.5}, "2"},
        {"%.1f", {INFINITY}, "inf"},
        {"%.f", {7.7}, "8"},
        {"%2$@ before %1$@", {std::string("one"), std::string("two")}, "two before one"},
        {"%1$@ %1$@ %3$@", {std::string("x")}, "x x "},
        {"%3$d", {std::int64_t(1), std::int64_t(2), std::int64_t(3)}, "3"},
        {"%d", {std::string("not a number")}, "not a number"},
        {"%q %@ %", {std::string("A")}, "%q A %"},
        {"%l", {}, "%l"},
        {"%0$@", {std::string("A")}, "%0$@"},
        {"no directives", {std::string("A")}, "no directives"},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(StringFormat::format(c.format, std::span<const Argument>(c.arguments)), c.text);
    }
}

TEST(StringFormat, TextArgumentsFillObjectPlaceholders)
{
    EXPECT_EQ(StringFormat::format("%@ of %@", std::vector<std::string> {"3", "4"}), "3 of 4");
    EXPECT_EQ(StringFormat::format("%@, %@, %@", std::vector<std::string> {"only"}), "only, , ");
    EXPECT_EQ(StringFormat::format("%@", std::vector<std::string> {}), "");
}

TEST(StringFormat, APrecisionIsHeldToItsLimit)
{
    const auto text = StringFormat::format("%.999999f", {1.0});
    EXPECT_EQ(text.size(), 2u + StringFormat::maxPrecision);
    EXPECT_EQ(StringFormat::format("%.1f", {std::numeric_limits<double>::max()}).size(), 311u);
}

TEST(StringFormat, DecimalPointsIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE.UTF-8 locale";
    EXPECT_EQ(StringFormat::format("%.2f %@", {1.25, 0.5}), "1.25 0.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(StringFormat, FlagsWidthsPrecisionsAndEveryConversion)
{
    const struct {
        const char* format;
        std::vector<Argument> arguments;
        const char* text;
    } cases[] = {
        {"[%5d|%-5d|%05d|%+d|% d]",
         {std::int64_t(42), std::int64_t(42), std::int64_t(-42), std::int64_t(7), std::int64_t(7)},
         "[   42|42   |-0042|+7| 7]"},
        {"%.3d|%.0d|%5.2d", {std::int64_t(5), std::int64_t(0), std::int64_t(-3)}, "005||  -03"},
        {"%x %X %#x %#X %#x",
         {std::int64_t(255), std::int64_t(255), std::int64_t(255), std::uint64_t(48879), std::int64_t(0)},
         "ff FF 0xff 0XBEEF 0"},
        {"%o %#o %#o", {std::int64_t(8), std::int64_t(8), std::int64_t(0)}, "10 010 0"},
        {"%x", {std::int64_t(-1)}, "ffffffffffffffff"},
        {"%hhd %hd %zu %jd %td %Lf",
         {std::int64_t(1), std::int64_t(2), std::uint64_t(3), std::int64_t(4), std::int64_t(5), 0.5},
         "1 2 3 4 5 0.500000"},
        {"%e|%.2E|%g|%G|%g|%.3g",
         {1500.0, 0.000123, 0.0001, 1e-5, 123456789.0, 2.0},
         "1.500000e+03|1.23E-04|0.0001|1E-05|1.23457e+08|2"},
        {"%F|%+.1f|%08.2f|%-8.1f|", {2.5, 2.0, -3.14159, 1.0}, "2.500000|+2.0|-0003.14|1.0     |"},
        {"%#.0f|%#.0e", {3.0, 3.0}, "3.|3.e+00"},
        {"%5.1f|%05f", {INFINITY, -INFINITY}, "  inf| -inf"},
        {"%c%c%c", {std::int64_t('A'), std::int64_t(0x4E2D), std::string("xyz")}, "A中xyz"},
        {"%c|%c", {std::int64_t(0), std::int64_t(0xD800)}, "|"},
        {"[%6@|%-6s|%.2@|%3.1s]",
         {std::string("中文"), std::string("ab"), std::string("中文字"), std::string("xyz")},
         "[    中文|ab    |中文|  x]"},
        {"[%*d|%-*d|%.*f]",
         {std::int64_t(4), std::int64_t(1), std::int64_t(3), std::int64_t(2), std::int64_t(2), 3.14159},
         "[   1|2  |3.14]"},
        {"[%*d]", {std::int64_t(-3), std::int64_t(1)}, "[1  ]"},
        {"[%*d]", {std::int64_t(5)}, "[]"},
        {"%2$*1$d", {std::int64_t(3), std::int64_t(9)}, "%2$*1$d"},
        {"%5%", {}, "%5%"},
        {"%k %5k", {std::int64_t(1)}, "%k %5k"},
        {"%08x|%-#6o|", {std::int64_t(255), std::int64_t(8)}, "000000ff|010   |"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(StringFormat::format(c.format, std::span<const Argument>(c.arguments)), c.text);
    }
}

TEST(StringFormat, WidthsAreHeldToTheirLimitAndNeverReadPastTheArguments)
{
    EXPECT_EQ(StringFormat::format("%999999d", {std::int64_t(1)}).size(), std::size_t(StringFormat::maxWidth));
    EXPECT_EQ(StringFormat::format("%*d", {std::int64_t(-9223372036854775807 - 1), std::int64_t(1)}).size(),
              std::size_t(StringFormat::maxWidth));
    EXPECT_EQ(StringFormat::format("%s %d %x %e %c %*d %.*f %@", {}), "       ");
    EXPECT_EQ(StringFormat::format("%d %d %d", {std::int64_t(1)}), "1  ");
}
