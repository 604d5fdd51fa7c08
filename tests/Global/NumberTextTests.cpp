#include "Classes/Configure/Global/NumberText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Aerlo;

TEST(NumberText, FixedMatchesPrintfUnderTheCLocale)
{
    EXPECT_EQ(NumberText::fixed(99.9996, 3), "100.000");
    EXPECT_EQ(NumberText::fixed(9.949, 1), "9.9");
    EXPECT_EQ(NumberText::fixed(-12.5, 1), "-12.5");
    EXPECT_EQ(NumberText::fixed(2.5, 0), "2");
    EXPECT_EQ(NumberText::fixed(1.5, 0), "2");
    EXPECT_EQ(NumberText::fixed(0.125, 2), "0.12");
    EXPECT_EQ(NumberText::fixed(1e20, 1), "100000000000000000000.0");
}

TEST(NumberText, DecimalRoundsTheShortestTextHalfToEven)
{
    struct Case {
        double value;
        int minimum;
        int maximum;
        const char* text;
    } cases[] = {
        {45.0, 0, 0, "45"},    {45.4, 0, 0, "45"},    {44.5, 0, 0, "44"},        {45.5, 0, 0, "46"},
        {45.45, 1, 1, "45.4"}, {45.55, 1, 1, "45.6"}, {45.0, 1, 1, "45.0"},      {9.95, 1, 1, "10.0"},
        {99.99, 0, 0, "100"},  {0.5, 0, 0, "0"},      {1.5, 0, 0, "2"},          {-0.4, 0, 0, "0"},
        {-0.04, 1, 1, "0.0"},  {-3.6, 0, 0, "-4"},    {-12.5, 0, 0, "-12"},      {0.001, 0, 2, "0"},
        {1.25, 0, 2, "1.25"},  {1.2, 0, 2, "1.2"},    {999.96, 1, 1, "1,000.0"}, {1234567.0, 0, 0, "1,234,567"},
        {1e-300, 1, 1, "0.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberText::decimal(c.value, c.minimum, c.maximum), c.text) << c.value;

    EXPECT_EQ(NumberText::decimal(std::nan(""), 0, 0), "NaN");
    EXPECT_EQ(NumberText::decimal(-std::numeric_limits<double>::infinity(), 0, 0), "-∞");
}
