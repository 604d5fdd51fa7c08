#include "Platform/Foundation/Calendar.h"
#include "Platform/Foundation/DateFormatter.h"
#include "Platform/Foundation/TimeZone.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

using Foundation::Calendar;
using Foundation::DateFormatter;
using Foundation::TimeZone;
using Component = Calendar::Component;
using Date = Calendar::Date;

namespace {

TimeZone zone(const char* identifier)
{
    auto named = TimeZone::named(identifier);
    EXPECT_TRUE(named) << identifier;
    return named.value_or(*TimeZone::named("UTC"));
}

// 2024-02-10 15:30 in Shanghai, 02:30 in New York: a Saturday.
constexpr Date saturdayAfternoonInShanghai {1707550200};
// Noon on the Saturdays before the two daylight-saving changes of 2024 in Berlin.
constexpr Date beforeSpringChange {1711796400};
constexpr Date beforeAutumnChange {1729936800};

class DateLayer : public ::testing::Test {
protected:
    ~DateLayer() override
    {
        TimeZone::setCurrent(std::nullopt);
        Calendar::setCurrent(std::nullopt);
    }
};

TEST_F(DateLayer, ZonesAreKnownByIdentifierAndCarryTheirOffsets)
{
    EXPECT_FALSE(TimeZone::named("Mars/Olympus_Mons"));
    EXPECT_FALSE(TimeZone::named(""));
    EXPECT_EQ(zone("Asia/Shanghai").secondsFromGMT(saturdayAfternoonInShanghai), 8 * 3600);
    EXPECT_EQ(zone("Europe/Berlin").secondsFromGMT(beforeSpringChange), 3600);
    EXPECT_EQ(zone("Europe/Berlin").secondsFromGMT({beforeSpringChange.secondsSince1970 + 86400}), 7200);
    TimeZone::setCurrent(zone("America/New_York"));
    EXPECT_EQ(TimeZone::current().identifier(), "America/New_York");
    TimeZone::setCurrent(std::nullopt);
    EXPECT_FALSE(TimeZone::current().identifier().empty());
}

TEST_F(DateLayer, ComponentsInTwoZones)
{
    const Calendar shanghai(zone("Asia/Shanghai"));
    const auto c = shanghai.dateComponents(saturdayAfternoonInShanghai);
    EXPECT_EQ(std::tuple(*c.year, *c.month, *c.day, *c.hour, *c.minute, *c.second, *c.weekday),
              std::tuple(2024, 2, 10, 15, 30, 0, 7));
    const Calendar newYork(zone("America/New_York"));
    const auto n = newYork.dateComponents(saturdayAfternoonInShanghai);
    EXPECT_EQ(std::tuple(*n.year, *n.month, *n.day, *n.hour, *n.minute), std::tuple(2024, 2, 10, 2, 30));
    EXPECT_EQ(shanghai.date({.year = 2024, .month = 2, .day = 29}), Date {1709136000});
    EXPECT_EQ(newYork.date({.year = 2024, .month = 2, .day = 29}), Date {1709182800});
    EXPECT_EQ(shanghai.component(Component::year, Date {-62151667200}), 0); // mid-1 BC is in year 0
}

TEST_F(DateLayer, AddingDaysAcrossDaylightSavingKeepsTheTimeOfDay)
{
    const Calendar berlin(zone("Europe/Berlin"));
    EXPECT_EQ(berlin.dateByAdding(Component::day, 1, beforeSpringChange), Date {1711879200}); // 23 hours later
    EXPECT_EQ(berlin.dateByAdding(Component::day, 1, beforeAutumnChange), Date {1730026800}); // 25 hours later
    EXPECT_EQ(berlin.dateByAdding(Component::day, -1, Date {1711879200}), beforeSpringChange);
    EXPECT_EQ(berlin.difference(Component::day, beforeSpringChange, Date {1711879200}), 1);
}

TEST_F(DateLayer, MonthIntervalsAndDayCounts)
{
    const Calendar berlin(zone("Europe/Berlin"));
    const auto march = berlin.dateInterval(Component::month, beforeSpringChange);
    ASSERT_TRUE(march);
    EXPECT_EQ(march->start, Date {1709247600});
    EXPECT_EQ(march->end(), Date {1711922400}); // an hour short of 31 × 24 hours
    EXPECT_EQ(berlin.numberOfDays(Component::month, Date {1709136000}), 29);
    EXPECT_EQ(berlin.numberOfDays(Component::month, beforeSpringChange), 31);
    EXPECT_EQ(berlin.numberOfDays(Component::year, beforeSpringChange), 366);
    EXPECT_FALSE(berlin.numberOfDays(Component::day, beforeSpringChange));
}

TEST_F(DateLayer, WeekRulesAreTheCalendarsOwnNotTheHostLocales)
{
    const Date sundayJune9 {1717927200}; // June 2024 begins on a Saturday
    struct Case {
        const char* locale;
        int firstWeekday; // 0: the locale's
        int minimumDays;
        std::int64_t weekOfMonth;
    };
    const Case cases[] = {
        {"en_US", 0, 0, 3}, {"de_DE", 0, 0, 1}, {"de_DE", 2, 1, 2}, {"de_DE", 1, 1, 3}, {"en_US", 2, 4, 1},
    };
    for (const Case& c : cases) {
        Calendar calendar(zone("UTC"), c.locale);
        if (c.firstWeekday)
            calendar.setFirstWeekday(c.firstWeekday);
        if (c.minimumDays)
            calendar.setMinimumDaysInFirstWeek(c.minimumDays);
        EXPECT_EQ(calendar.component(Component::weekOfMonth, sundayJune9), c.weekOfMonth) << c.locale << c.firstWeekday;
    }
    EXPECT_EQ(Calendar(zone("UTC"), "en_US").firstWeekday(), 1);
    EXPECT_EQ(Calendar(zone("UTC"), "de_DE").firstWeekday(), 2);
    EXPECT_EQ(Calendar(zone("UTC"), "de_DE").minimumDaysInFirstWeek(), 4);
    Calendar calendar(zone("UTC"));
    calendar.setFirstWeekday(0);
    calendar.setFirstWeekday(8);
    EXPECT_EQ(calendar.firstWeekday(), 1);
}

TEST_F(DateLayer, DatesOutsideTheCalendarGiveNothing)
{
    const Calendar calendar(zone("UTC"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Date date : {Date {nan}, Date {1e300}, Date {-1e300}, Date {std::numeric_limits<double>::infinity()}}) {
        EXPECT_FALSE(calendar.component(Component::day, date));
        EXPECT_FALSE(calendar.dateByAdding(Component::day, 1, date));
        EXPECT_FALSE(calendar.dateInterval(Component::month, date));
        EXPECT_FALSE(calendar.numberOfDays(Component::month, date));
        EXPECT_FALSE(calendar.difference(Component::day, Date {0}, date));
    }
    EXPECT_FALSE(calendar.date({.year = 1'000'000'000'000}));
    EXPECT_FALSE(calendar.dateByAdding(Component::day, std::int64_t(1) << 40, Date {0}));
    EXPECT_FALSE(calendar.dateByAdding(Component::year, 2'000'000'000, Date {0}));
}

TEST_F(DateLayer, TheCurrentCalendarCanBePinned)
{
    TimeZone::setCurrent(zone("Asia/Tokyo"));
    EXPECT_EQ(Calendar::current().timeZone().identifier(), "Asia/Tokyo");
    Calendar pinned(zone("Europe/Berlin"), "en_US");
    pinned.setFirstWeekday(2);
    Calendar::setCurrent(pinned);
    EXPECT_EQ(Calendar::current().timeZone().identifier(), "Europe/Berlin");
    EXPECT_EQ(Calendar::current().firstWeekday(), 2);
}

TEST_F(DateLayer, FormatterWritesAndStrictlyReadsItsPattern)
{
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    formatter.setLocale("en_US_POSIX");
    formatter.setTimeZone(zone("Asia/Shanghai"));
    EXPECT_EQ(formatter.string(Date {0}), "1970-01-01 08:00:00");
    EXPECT_EQ(formatter.date("2024-02-10 15:30:00"), saturdayAfternoonInShanghai);
    for (const char* bad : {"2024-02-30 10:00:00", "2024-02-10 15:30:00 trailing", "2024-02-10", "", "yesterday"})
        EXPECT_FALSE(formatter.date(bad)) << bad;
    formatter.setTimeZone(zone("America/New_York"));
    EXPECT_EQ(formatter.string(Date {0}), "1969-12-31 19:00:00");
    EXPECT_EQ(formatter.string(Date {std::numeric_limits<double>::quiet_NaN()}), "");
}

TEST_F(DateLayer, FormatterWithoutZoneFollowsTheCurrentOneAndWithoutPatternWritesNothing)
{
    DateFormatter formatter;
    EXPECT_EQ(formatter.string(Date {0}), "");
    EXPECT_FALSE(formatter.date("1970"));
    formatter.setDateFormat("HH");
    TimeZone::setCurrent(zone("Asia/Shanghai"));
    EXPECT_EQ(formatter.string(Date {0}), "08");
    TimeZone::setCurrent(zone("UTC"));
    EXPECT_EQ(formatter.string(Date {0}), "00");
    formatter.setLocale("zh-Hans");
    formatter.setDateFormat("EEEE");
    EXPECT_EQ(formatter.string(saturdayAfternoonInShanghai), "星期六");
}

TEST_F(DateLayer, OneFormatterServesManyThreads)
{
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    formatter.setTimeZone(zone("UTC"));
    std::vector<std::thread> threads;
    std::atomic<int> wrong {0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const double seconds = 86400.0 * (t * 1000 + i);
                const auto back = formatter.date(formatter.string(Date {seconds}));
                if (!back || back->secondsSince1970 != seconds)
                    ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
