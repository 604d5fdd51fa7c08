#include "Platform/Foundation/NumberFormatter.h"

#include <clocale>
#include <gtest/gtest.h>

using Foundation::NumberFormatter;

TEST(NumberFormatterTest, WritesDecimalTextWithinTheFractionDigits)
{
    NumberFormatter formatter;
    EXPECT_EQ(formatter.string(42), "42");
    EXPECT_EQ(formatter.string(3.14159), "3.142");
    EXPECT_EQ(formatter.string(2.5), "2.5");
    EXPECT_EQ(formatter.string(-0.0001), "0");
    EXPECT_EQ(formatter.string(-1.25), "-1.25");
    formatter.setMinimumFractionDigits(2);
    EXPECT_EQ(formatter.string(7), "7.00");
    EXPECT_EQ(formatter.string(7.125), "7.125");
    formatter.setMaximumFractionDigits(1);
    EXPECT_EQ(formatter.minimumFractionDigits(), 1);
    EXPECT_EQ(formatter.string(7.04), "7.0");
    formatter.setAllowsFloats(false);
    EXPECT_EQ(formatter.string(7.6), "8");
}

TEST(NumberFormatterTest, ReadsOnlyWholeNumbersWithinItsLimits)
{
    NumberFormatter formatter;
    formatter.setMinimum(0);
    formatter.setMaximum(200);
    struct Case {
        const char* text;
        std::optional<double> value;
        const char* error;
    };
    const Case cases[] = {
        {"120", 120, ""},
        {"+42", 42, ""},
        {"0.5", 0.5, ""},
        {"5.", 5, ""},
        {".5", 0.5, ""},
        {"200", 200, ""},
        {"201", std::nullopt, "Value too large"},
        {"-1", std::nullopt, "Value too small"},
        {"", std::nullopt, "Invalid number"},
        {"-", std::nullopt, "Invalid number"},
        {".", std::nullopt, "Invalid number"},
        {"1,5", std::nullopt, "Invalid number"},
        {"12a", std::nullopt, "Invalid number"},
        {" 12", std::nullopt, "Invalid number"},
        {"1.2.3", std::nullopt, "Invalid number"},
        {"1e3", std::nullopt, "Invalid number"},
        {"nan", std::nullopt, "Invalid number"},
    };
    for (const auto& c : cases) {
        const auto result = formatter.value(c.text);
        EXPECT_EQ(result.ok(), c.value.has_value()) << c.text;
        if (c.value && result.ok()) {
            EXPECT_DOUBLE_EQ(*result, *c.value) << c.text;
        }
        EXPECT_EQ(result.error(), c.error) << c.text;
    }
    formatter.setAllowsFloats(false);
    EXPECT_FALSE(formatter.value("1.5").ok());
    EXPECT_FALSE(formatter.value(std::string(400, '9')).ok());
}

TEST(NumberFormatterTest, PartialTextsThatCannotBecomeGoodAreRefused)
{
    NumberFormatter formatter;
    formatter.setMinimum(0);
    formatter.setMaximum(200);
    formatter.setMaximumFractionDigits(1);
    for (const char* good : {"", "+", "2", "20", "200", "19.", "19.5", "0"})
        EXPECT_TRUE(formatter.isPartialStringValid(good)) << good;
    for (const char* bad : {"-", "-3", "201", "2001", "19.55", "1a", "1..", "x"})
        EXPECT_FALSE(formatter.isPartialStringValid(bad)) << bad;
    formatter.setAllowsFloats(false);
    EXPECT_FALSE(formatter.isPartialStringValid("1."));
    formatter.setMinimum(-10);
    EXPECT_TRUE(formatter.isPartialStringValid("-"));
    EXPECT_TRUE(formatter.isPartialStringValid("-10"));
    EXPECT_FALSE(formatter.isPartialStringValid("-11"));
}

TEST(NumberFormatterTest, TheProcessLocaleDoesNotChangeTheText)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE locale here";
    NumberFormatter formatter;
    EXPECT_EQ(formatter.string(1.5), "1.5");
    EXPECT_DOUBLE_EQ(*formatter.value("1.5"), 1.5);
    std::setlocale(LC_ALL, previous.c_str());
}
