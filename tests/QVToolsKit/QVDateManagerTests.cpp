#include "QVToolsKit/QVDateManager.h"
#include "QVToolsKit/Weekday.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <gtest/gtest.h>

using Foundation::Calendar;
using Foundation::TimeZone;
using QVToolsKit::QVDateManager;
using Date = QVDateManager::Date;

namespace {

constexpr Date saturdayAfternoonInShanghai {1707550200}; // 2024-02-10 15:30 +08:00
constexpr Date beforeSpringChange {1711796400}; // 2024-03-30 12:00 Berlin

// Pins the current zone and calendar.
class DatesIn : public ::testing::Test {
protected:
    void pin(const char* zone, int firstWeekday = 1, int minimumDays = 1)
    {
        TimeZone::setCurrent(*TimeZone::named(zone));
        Calendar calendar(*TimeZone::named(zone));
        calendar.setFirstWeekday(firstWeekday);
        calendar.setMinimumDaysInFirstWeek(minimumDays);
        Calendar::setCurrent(calendar);
    }
    ~DatesIn() override
    {
        TimeZone::setCurrent(std::nullopt);
        Calendar::setCurrent(std::nullopt);
    }
    Date at(int year, int month, int day, int hour = 0)
    {
        return *Calendar::current().date({.year = year, .month = month, .day = day, .hour = hour});
    }
};

TEST(Weekday, RawValues)
{
    EXPECT_EQ(QVToolsKit::rawValue(QVToolsKit::Weekday::monday), "Monday");
    EXPECT_EQ(QVToolsKit::rawValue(QVToolsKit::Weekday::sunday), "Sunday");
    EXPECT_EQ(QVToolsKit::makeWeekday("Saturday"), QVToolsKit::Weekday::saturday);
    EXPECT_FALSE(QVToolsKit::makeWeekday("saturday"));
}

TEST_F(DatesIn, ConversionsUseShanghaiWhereTheyShould)
{
    pin("America/New_York");
    EXPECT_EQ(QVDateManager::formatToDateString(std::nullopt), "");
    EXPECT_EQ(QVDateManager::formatToDateString(Date {0}), "1970-01-01 08:00:00");
    EXPECT_EQ(QVDateManager::dateString(0, "anything"), "1970-01-01 08:00:00");
    EXPECT_EQ(QVDateManager::dateString(0, ""), "1970-01-01 08:00:00");
    EXPECT_EQ(QVDateManager::string(Date {0}, "yyyy-MM-dd HH:mm"), "1969-12-31 19:00");
    EXPECT_EQ(QVDateManager::date("2024-02-10 15:30", "yyyy-MM-dd HH:mm", true), saturdayAfternoonInShanghai);
    EXPECT_EQ(QVDateManager::date("2024-02-10 02:30", "yyyy-MM-dd HH:mm", false), saturdayAfternoonInShanghai);
    EXPECT_FALSE(QVDateManager::date("10/02/2024", "yyyy-MM-dd", true));
    EXPECT_FALSE(QVDateManager::date("2024-02-10", "", true));
}

TEST_F(DatesIn, SharedFormattersAreMadeOnceWithTheirPatterns)
{
    pin("Asia/Shanghai");
    const std::pair<Foundation::DateFormatter&, const char*> cases[] = {
        {QVDateManager::yearMonthDayFormatter(), "2024-02-10"},
        {QVDateManager::chineseYearMonthDayFormatter(), "2024年02月10日"},
        {QVDateManager::chineseYearFormatter(), "2024年"},
        {QVDateManager::yearMonthDayFormatterWithSlash(), "2024/02/10"},
        {QVDateManager::yearMonthDayFormatterWithDot(), "2024.02.10"},
        {QVDateManager::chineseMonthDayFormatter(), "02月10日"},
        {QVDateManager::timeFormatterWithSeconds(), "15:30:00"},
        {QVDateManager::timeFormatterNoSeconds(), "15:30"},
        {QVDateManager::hourFormatter(), "15"},
        {QVDateManager::minuteFormatter(), "30"},
        {QVDateManager::secondFormatter(), "00"},
        {QVDateManager::weekDayFormatter(), ""},
    };
    for (const auto& [formatter, text] : cases)
        EXPECT_EQ(formatter.string(saturdayAfternoonInShanghai), text);
    EXPECT_EQ(QVDateManager::weekDayFormatter().locale(), "zh-Hans");
    pin("UTC");
    EXPECT_EQ(QVDateManager::hourFormatter().string(saturdayAfternoonInShanghai), "07");
}

TEST_F(DatesIn, MonthBoundsInTwoZones)
{
    for (const char* zone : {"Asia/Shanghai", "America/New_York"}) {
        pin(zone);
        const Date february10 = at(2024, 2, 10, 15);
        EXPECT_EQ(QVDateManager::firstDayOfMonth(february10), at(2024, 2, 1)) << zone;
        EXPECT_EQ(QVDateManager::lastDayOfMonth(february10), at(2024, 2, 29)) << zone;
        EXPECT_EQ(QVDateManager::lastDayOfMonth(at(2024, 2, 1)), at(2024, 2, 29)) << zone;
        EXPECT_EQ(QVDateManager::dayCountOfMonth(february10), 29) << zone;
        EXPECT_EQ(QVDateManager::dayCountOfMonth(at(2023, 2, 1)), 28) << zone;
    }
}

TEST_F(DatesIn, CurrentMonthFollowsTheRunLoopClock)
{
    pin("Asia/Shanghai");
    Foundation::ManualRunLoopDriver driver;
    driver.clock().setWallTime(saturdayAfternoonInShanghai.secondsSince1970);
    EXPECT_EQ(QVDateManager::firstDayOfCurrentMonth(), at(2024, 2, 1));
    EXPECT_EQ(QVDateManager::lastDayOfCurrentMonth(), at(2024, 2, 29));
}

TEST_F(DatesIn, AddDaysAcrossADaylightSavingChangeAddsCalendarDays)
{
    pin("Europe/Berlin");
    EXPECT_EQ(QVDateManager::addDays(beforeSpringChange, 1), at(2024, 3, 31, 12));
    EXPECT_EQ(QVDateManager::addDays(beforeSpringChange, 1).secondsSince1970 - beforeSpringChange.secondsSince1970,
              23 * 3600);
    EXPECT_EQ(QVDateManager::addDays(at(2024, 3, 31, 12), -1), beforeSpringChange);
    EXPECT_EQ(QVDateManager::addDays(beforeSpringChange, 0), beforeSpringChange);
    // Beyond the calendar: the date comes back unchanged.
    EXPECT_EQ(QVDateManager::addDays(beforeSpringChange, std::int64_t(1) << 50), beforeSpringChange);
}

TEST_F(DatesIn, YearsAndComparisons)
{
    pin("Asia/Shanghai");
    EXPECT_EQ(QVDateManager::daysInYear(2024), 366);
    EXPECT_EQ(QVDateManager::daysInYear(2023), 365);
    EXPECT_EQ(QVDateManager::daysInYear(1900), 365);
    EXPECT_EQ(QVDateManager::daysInYear(2000), 366);
    EXPECT_EQ(QVDateManager::daysInYear(1'000'000'000'000), 0);
    EXPECT_TRUE(QVDateManager::isSameDay(at(2024, 2, 10, 0), at(2024, 2, 10, 23)));
    EXPECT_FALSE(QVDateManager::isSameDay(at(2024, 2, 10), at(2024, 3, 10)));
    EXPECT_FALSE(QVDateManager::isSameMonth(at(2024, 2, 10), at(2023, 2, 10)));
    EXPECT_TRUE(QVDateManager::isSameYear(at(2024, 1, 1), at(2024, 12, 31)));
    // The same instant is a different day in another zone.
    const Date lateInShanghai = at(2024, 2, 10, 23);
    EXPECT_TRUE(QVDateManager::isSameDay(lateInShanghai, at(2024, 2, 10)));
    pin("UTC");
    EXPECT_FALSE(QVDateManager::isSameDay(lateInShanghai, at(2024, 2, 11)));
    const auto components = QVDateManager::dateComponents(saturdayAfternoonInShanghai);
    EXPECT_EQ(std::tuple(*components.year, *components.month, *components.day, *components.hour, *components.weekday),
              std::tuple(2024, 2, 10, 7, 7));
}

TEST_F(DatesIn, WeekIndexFollowsTheCalendarsWeekRules)
{
    pin("UTC", 1, 1);
    EXPECT_EQ(QVDateManager::weekIndexOfMonth(at(2024, 6, 9)), 3);
    pin("UTC", 2, 4);
    EXPECT_EQ(QVDateManager::weekIndexOfMonth(at(2024, 6, 9)), 1);
    EXPECT_EQ(QVDateManager::weekIndexOfMonth(Date {1e300}), 0);
}

TEST_F(DatesIn, WholeWeekHoldsTheDateForEveryWeekdayUnderBothFirstWeekdays)
{
    for (const int firstWeekday : {1, 2}) {
        pin("Europe/Berlin", firstWeekday);
        // 2024-03-25 is a Monday; that week holds the spring change.
        for (int day = 25; day <= 31; ++day) {
            const Date date = at(2024, 3, day, 12);
            const auto week = QVDateManager::daysForWholeWeek(date);
            ASSERT_EQ(week.size(), 7u);
            EXPECT_NE(std::find(week.begin(), week.end(), date), week.end()) << firstWeekday << " " << day;
            const auto firstDay = Calendar::current().component(Calendar::Component::weekday, week.front());
            // Sunday-first calendars get Monday to Sunday; the others Sunday to Saturday.
            EXPECT_EQ(firstDay, firstWeekday == 1 ? 2 : 1) << firstWeekday << " " << day;
            for (size_t i = 1; i < week.size(); ++i)
                EXPECT_EQ(week[i], QVDateManager::addDays(week[i - 1], 1));
        }
    }
    EXPECT_TRUE(QVDateManager::daysForWholeWeek(Date {1e300}).empty());
}

TEST(QVDateManagerSeconds, SplitTruncatesTowardZero)
{
    QVDateManager manager;
    const std::int64_t count = 86400 + 3600 + 60 + 1;
    const std::map<std::string, std::int64_t> positive {{"Days", 1}, {"Hours", 1}, {"Minutes", 1}, {"Seconds", 1}};
    const std::map<std::string, std::int64_t> negative {{"Days", -1}, {"Hours", -1}, {"Minutes", -1}, {"Seconds", -1}};
    EXPECT_EQ(manager.timeComponents(count), positive);
    EXPECT_EQ(manager.timeComponents(-count), negative);
    EXPECT_EQ(manager.days(86399), 0);
    EXPECT_EQ(manager.hours(3 * 86400 + 5 * 3600), 5);
    EXPECT_EQ(manager.minutes(-59), 0);
}

} // namespace
