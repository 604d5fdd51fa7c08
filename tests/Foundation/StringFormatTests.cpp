#include "Platform/Foundation/StringFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
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
        {"%d|%i|%ld|%lld", {std::int64_t(1), std::int64_t(-2), std::int64_t(3), std::int64_t(-9223372036854775807 - 1)},
         "1|-2|3|-9223372036854775808"},
        {"%u %lu %llu", {std::uint64_t(7), std::uint64_t(18446744073709551615ull), std::int64_t(-1)},
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
    EXPECT_EQ(StringFormat::format("%@ of %@", std::vector<std::string>{"3", "4"}), "3 of 4");
    EXPECT_EQ(StringFormat::format("%@, %@, %@", std::vector<std::string>{"only"}), "only, , ");
    EXPECT_EQ(StringFormat::format("%@", std::vector<std::string>{}), "");
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
