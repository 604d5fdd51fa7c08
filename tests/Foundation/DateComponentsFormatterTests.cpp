// Spans of time in words, over ICU's measure formats.
#include "Platform/Foundation/DateComponentsFormatter.h"

#include <gtest/gtest.h>

using Foundation::DateComponentsFormatter;

TEST(DateComponentsFormatter, TwoLargestNonZeroUnitsFlooredToMinutes)
{
    DateComponentsFormatter formatter;
    formatter.locale = "en";
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {2 * 86400 + 3 * 3600 + 4 * 60 + 59, "2 days, 3 hours"},
        {86400 + 5 * 60, "1 day, 5 minutes"},
        {3600 + 119, "1 hour, 1 minute"},
        {60, "1 minute"},
        {59.9, "0 minutes"},
        {0, "0 minutes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatter.string(c.seconds), c.text) << c.seconds;
    EXPECT_EQ(formatter.string(-1), std::nullopt);
    EXPECT_EQ(formatter.string(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(formatter.string({100}, {100 + 7200}), "2 hours");

    formatter.locale = "zh-Hans";
    EXPECT_EQ(formatter.string(2 * 86400 + 3 * 3600), "2天3小时");
    formatter.maximumUnitCount = 1;
    formatter.locale = "en";
    EXPECT_EQ(formatter.string(2 * 86400 + 3 * 3600), "2 days");
}
