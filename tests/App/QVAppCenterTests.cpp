#include "Classes/App/AnalyticsArchive.h"
#include "Classes/App/CalendarDay.h"
#include "Classes/App/QVAppCenter.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "Platform/Vendors/MSACAppCenter.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace Aerlo;
using Foundation::UserDefaults;
using Vendors::MSACEvent;

namespace {

using Lines = std::vector<std::string>;
using Events = std::vector<MSACEvent>;

constexpr double berlinMarchFirstNoon = 1772362800; // 2026-03-01 12:00 in Europe/Berlin
const std::string controlFans = "开始控制风扇";
const std::string controlFansGroup = "AppCenterGroupStartControlFans";

class QVAppCenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestAccess::resetForTesting<UserDefaults>();
        const auto contents = root_.path() / "Aerlo.app" / "Contents";
        std::filesystem::create_directories(contents);
        std::filesystem::copy_file(Foundation::Bundle::infoDictionaryPath(Foundation::Bundle::builtInBundlePath()),
                                   contents / "Info.json");
        Foundation::Bundle::setMainBundlePath(root_.path() / "Aerlo.app");
        TestAccess::resetForTesting<Vendors::MSACAppCenter>();
        Vendors::MSACAnalytics::setSink([this](const MSACEvent& event) { events_.push_back(event); });
        at("Europe/Berlin", berlinMarchFirstNoon);
    }
    void TearDown() override
    {
        Vendors::MSACAnalytics::setSink(nullptr);
        TestAccess::resetForTesting<Vendors::MSACAppCenter>();
        Foundation::Bundle::setMainBundlePath({});
        TestAccess::resetForTesting<UserDefaults>();
    }

    void at(const char* zone, double wallTime)
    {
        zone_.reset();
        zone_.emplace("TZ", zone);
        driver_.clock().setWallTime(wallTime);
    }
    // `count` days ending with `last`; `active(i)` for the i-th, oldest first.
    static void storeActivity(const std::string& last, int count, const std::function<bool(int)>& active)
    {
        const CalendarDay lastDay = *CalendarDay::fromText(last);
        std::vector<AppUserActivityModel> list;
        for (int i = 0; i < count; ++i)
            list.emplace_back(lastDay.adding(i - count + 1).text(), active(i));
        ASSERT_TRUE(AnalyticsArchive::saveActivityList(list));
    }
    static std::vector<AppUserActivityModel> activity()
    {
        auto loaded = AnalyticsArchive::loadActivityList();
        EXPECT_TRUE(loaded && loaded.value()) << loaded.error();
        return loaded && loaded.value() ? *loaded.value() : std::vector<AppUserActivityModel> {};
    }
    // The group of the registration holding 31 days ending with `last`, one counter per day.
    static void storeGroup(const std::string& last, std::int64_t count = 0,
                           std::optional<std::string> name = controlFansGroup)
    {
        AppEventGroupModel group(std::move(name), 1, {});
        for (int back = 30; back >= 0; --back)
            group.dataList.emplace_back(CalendarDay::fromText(last)->adding(-back).text(),
                                        std::vector<AppEventGroupEventModel> {{controlFans, count}});
        ASSERT_TRUE(AnalyticsArchive::saveEventGroups({group}));
    }
    static std::vector<AppEventGroupModel> groups()
    {
        auto loaded = AnalyticsArchive::loadEventGroups();
        EXPECT_TRUE(loaded && loaded.value()) << loaded.error();
        return loaded && loaded.value() ? *loaded.value() : std::vector<AppEventGroupModel> {};
    }
    static void registerControlFans()
    {
        QVAppCenter::registerEventGroups({AppCenterEventGroupRegisterModel(controlFansGroup, {controlFans}, 1)});
    }
    // Each day follows the one before by exactly one calendar day, the last being `last`.
    template <class Record>
    static void expectDays(const std::vector<Record>& days, std::size_t count, const std::string& first,
                           const std::string& last)
    {
        ASSERT_EQ(days.size(), count);
        EXPECT_EQ(days.front().date, first);
        EXPECT_EQ(days.back().date, last);
        for (std::size_t i = 1; i < days.size(); ++i)
            EXPECT_EQ(CalendarDay::fromText(*days[i - 1].date)->adding(1).text(), days[i].date) << i;
    }
    static std::optional<Foundation::PropertyListValue::Data> stored(std::string_view key)
    {
        return UserDefaults::standard().data(key);
    }

    TempRoot root_;
    Foundation::ManualRunLoopDriver driver_;
    std::optional<ScopedEnvironment> zone_;
    ConsoleCapture console_;
    Events events_;
};

} // namespace

TEST_F(QVAppCenterTest, TheFirstInstallIsSentOncePerSuiteWithItsChannel)
{
    bool flagSet = false;
    Vendors::MSACAnalytics::setSink([&](const MSACEvent& event) {
        flagSet = UserDefaults::suite(UserDefaults::appGroupSuiteName)->boolValue("AppFirstInstallkey");
        events_.push_back(event);
    });
    QVAppCenter::trackFirstInstall();
    QVAppCenter::trackFirstInstall();
    EXPECT_EQ(console_.lines(), Lines {"首次安装"});
    EXPECT_EQ(events_, (Events {{"App首次安装", {{"channel", "Offline"}, {"version", "2.4.0"}}}}));
    EXPECT_TRUE(flagSet);

    const auto receipt = Foundation::Bundle::main().appStoreReceiptURL();
    std::filesystem::create_directories(receipt.parent_path());
    std::ofstream(receipt) << "receipt";
    events_.clear();
    QVAppCenter::trackFirstInstall("other.suite");
    EXPECT_EQ(events_, (Events {{"App首次安装", {{"channel", "App store"}, {"version", "2.4.0"}}}}));

    console_.clear();
    events_.clear();
    QVAppCenter::trackFirstInstall("");
    EXPECT_EQ(console_.lines(), Lines {"Failed to initialize UserDefaults with app group identifier"});
    EXPECT_TRUE(events_.empty());
}

TEST_F(QVAppCenterTest, StartStartsTheSdkTheHistoriesAndTheHourlyRun)
{
    at("Europe/Berlin", berlinMarchFirstNoon + 11.5 * 3600); // 23:30
    QVAppCenter::start();
    EXPECT_EQ(
        Vendors::MSACAppCenter::lastStart(),
        (Vendors::MSACAppCenter::Start {"3f9c1e27-8b4d-4a6e-9d12-5c7b0e4a8f31",
                                        {Vendors::MSACService::MSACAnalytics, Vendors::MSACService::MSACCrashes}}));
    EXPECT_EQ(console_.lines(), Lines {"首次安装"});
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].name, "App首次安装");
    const auto list = activity();
    expectDays(list, 30, "2026-01-31", "2026-03-01");
    EXPECT_EQ(std::ranges::count_if(list, &AppUserActivityModel::activity), 1);
    EXPECT_TRUE(list.back().activity);
    const auto stored = groups();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, controlFansGroup);
    EXPECT_EQ(stored[0].totalCount, 1);
    expectDays(stored[0].dataList, 31, "2026-01-30", "2026-03-01");
    EXPECT_EQ(stored[0].dataList[5].events, (std::vector<AppEventGroupEventModel> {{controlFans, 0}}));

    driver_.advance(3600);
    const auto later = activity();
    expectDays(later, 30, "2026-02-01", "2026-03-02");
    EXPECT_TRUE(later.back().activity);
}

TEST_F(QVAppCenterTest, ADayChangeSendsTheActiveUserEvents)
{
    // 20 of the last 30 days active, the oldest not: today makes 21.
    storeActivity("2026-02-28", 30, [](int i) { return i >= 10; });
    QVAppCenter::trackActiveDays();
    const auto list = activity();
    expectDays(list, 30, "2026-01-31", "2026-03-01");
    EXPECT_TRUE(list.back().activity);
    EXPECT_EQ(events_, (Events {{"高活跃用户", {{"active_day_count", "21"}}}}));

    events_.clear();
    storeActivity("2026-02-28", 30, [](int) { return true; });
    QVAppCenter::trackActiveDays();
    EXPECT_EQ(events_, (Events {{"高活跃用户", {{"active_day_count", "30"}}},
                                {"30天连续活跃用户", {{"active_day_count", "30"}}}}));

    // Again the same day: nothing sent, nothing changed.
    events_.clear();
    const auto before = stored(AnalyticsArchive::userActivityKey);
    QVAppCenter::trackActiveDays();
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(stored(AnalyticsArchive::userActivityKey), before);

    // Three days later: two inactive days and today.
    storeActivity("2026-02-26", 30, [](int) { return false; });
    QVAppCenter::trackActiveDays();
    const auto gap = activity();
    expectDays(gap, 30, "2026-01-31", "2026-03-01");
    EXPECT_FALSE(gap[27].activity);
    EXPECT_FALSE(gap[28].activity);
    EXPECT_TRUE(gap[29].activity);
}

TEST_F(QVAppCenterTest, ALastDayAheadLeavesTheHistoryAndAnUnreadableOneStartsAfresh)
{
    storeActivity("2026-03-02", 30, [](int) { return false; });
    const auto ahead = stored(AnalyticsArchive::userActivityKey);
    QVAppCenter::trackActiveDays();
    EXPECT_EQ(console_.lines(), Lines {"最后一条日期比当前日期大，有可能是用户改了日期"});
    EXPECT_EQ(stored(AnalyticsArchive::userActivityKey), ahead);

    const auto group = AppEventGroupModel("g", 1, {});
    const auto wrongClass = Foundation::KeyedArchiver::archivedData(std::vector<AppEventGroupModel> {group});
    const std::string keptAside = "无法解码的统计数据已保存到 UserActivityKey.corrupt";
    const struct {
        Foundation::PropertyListValue::Data data;
        Lines lines;
        bool damaged;
    } cases[] = {
        {{'x'}, {keptAside, "Error: The data couldn’t be read because it isn’t in the correct format."}, true},
        {*wrongClass, {keptAside, "Error: value for key 'root' was of unexpected class 'AppEventGroupModel'"}, true},
        {*Foundation::KeyedArchiver::archivedData(std::vector<AppUserActivityModel> {{"2026-02-30", true}}), {}, false},
        {*Foundation::KeyedArchiver::archivedData(std::vector<AppUserActivityModel> {{}}),
         {"Failed to decode 'date' as String"},
         false},
    };
    for (const auto& c : cases) {
        console_.clear();
        (void)UserDefaults::standard().removeObject(AnalyticsArchive::userActivityAsideKey);
        ASSERT_TRUE(UserDefaults::standard().set(c.data, AnalyticsArchive::userActivityKey));
        QVAppCenter::trackActiveDays();
        EXPECT_EQ(console_.lines(), c.lines);
        // A damaged archive is kept byte for byte before the fresh list replaces it.
        EXPECT_EQ(stored(AnalyticsArchive::userActivityAsideKey), c.damaged ? std::optional(c.data) : std::nullopt);
        const auto list = activity();
        expectDays(list, 30, "2026-01-31", "2026-03-01");
        EXPECT_EQ(std::ranges::count_if(list, &AppUserActivityModel::activity), 1);
    }
    EXPECT_TRUE(events_.empty());
}

TEST_F(QVAppCenterTest, ADamagedGroupArchiveIsKeptOnceBeforeTheFreshOneReplacesIt)
{
    const Foundation::PropertyListValue::Data damaged {'[', '\x01'};
    ASSERT_TRUE(UserDefaults::standard().set(damaged, AnalyticsArchive::eventGroupKey));
    registerControlFans();
    EXPECT_EQ(stored(AnalyticsArchive::eventGroupAsideKey), damaged);
    const std::string unreadable(Foundation::KeyedUnarchiver::unreadableData);
    EXPECT_EQ(console_.lines(), (Lines {"无法解码的统计数据已保存到 EventGroupKey.corrupt", "Error: " + unreadable,
                                        "Error unarchiving event group data: " + unreadable}));
    ASSERT_EQ(groups().size(), 1u);
    expectDays(groups()[0].dataList, 31, "2026-01-30", "2026-03-01");

    // A readable archive that holds no list of groups is replaced too, and kept first.
    const std::string_view root = R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":"text"})";
    const Foundation::PropertyListValue::Data text(root.begin(), root.end());
    ASSERT_TRUE(UserDefaults::standard().set(text, AnalyticsArchive::eventGroupKey));
    console_.clear();
    registerControlFans();
    EXPECT_EQ(stored(AnalyticsArchive::eventGroupAsideKey), text);
    EXPECT_EQ(console_.lines(), Lines {"无法解码的统计数据已保存到 EventGroupKey.corrupt"});
    EXPECT_EQ(groups().size(), 1u);
}

TEST_F(QVAppCenterTest, StaleGroupsAreRemovedInOneSave)
{
    std::vector<AppEventGroupModel> stored {AppEventGroupModel(controlFansGroup, 1, {})};
    for (const char* name : {"A", "B", "C"})
        stored.emplace_back(name, 1, std::vector<AppEventGroupChildModel> {});
    stored.emplace_back(std::nullopt, 1, std::vector<AppEventGroupChildModel> {});
    ASSERT_TRUE(AnalyticsArchive::saveEventGroups(stored));
    int saves = 0;
    const auto token = UserDefaults::standard().addObserver(
        AnalyticsArchive::eventGroupKey,
        [&](const std::string&, const std::optional<Foundation::PropertyListValue>&) { ++saves; });
    registerControlFans();
    // One save for the clean-up, one for the registered group's update.
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(console_.lines(),
              (Lines {"注销事件分组成功: ", "注销事件分组成功: C", "注销事件分组成功: B", "注销事件分组成功: A"}));
    ASSERT_EQ(groups().size(), 1u);
    EXPECT_EQ(groups()[0].name, controlFansGroup);
}

TEST_F(QVAppCenterTest, DayWalksStepByCalendarDayAcrossDaylightSavingChanges)
{
    const struct {
        const char* zone;
        const char* last;
        double now;
        const char* firstActivity;
        const char* firstGroupDay;
        const char* today;
    } cases[] = {
        {"Europe/Berlin", "2026-10-24", 1793098800, "2026-09-28", "2026-09-27", "2026-10-27"},
        {"Europe/Berlin", "2026-10-20", 1806228000, "2027-02-27", "2027-02-26", "2027-03-28"},
        {"Australia/Sydney", "2026-04-01", 1791075600, "2026-09-05", "2026-09-04", "2026-10-04"},
        {"Australia/Sydney", "2026-04-03", 1775440800, "2026-03-08", "2026-03-07", "2026-04-06"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.last);
        at(c.zone, c.now);
        storeActivity(c.last, 30, [](int) { return false; });
        storeGroup(c.last);
        QVAppCenter::trackActiveDays();
        registerControlFans();
        const auto list = activity();
        expectDays(list, 30, c.firstActivity, c.today);
        EXPECT_EQ(std::ranges::count_if(list, &AppUserActivityModel::activity), 1);
        expectDays(groups().at(0).dataList, 31, c.firstGroupDay, c.today);
    }
    EXPECT_TRUE(events_.empty());
}

TEST_F(QVAppCenterTest, StoredGroupsAreMovedOnRemovedOrRebuilt)
{
    // The next day: one day more, the oldest gone, the windows evaluated (counts of 0 pass none).
    storeGroup("2026-02-28");
    registerControlFans();
    expectDays(groups().at(0).dataList, 31, "2026-01-30", "2026-03-01");
    EXPECT_TRUE(events_.empty());
    EXPECT_TRUE(console_.lines().empty());

    // A second event name the same day goes into the last day only.
    QVAppCenter::updateEventGroup(controlFansGroup, {controlFans, "second"}, 1);
    const auto days = groups().at(0).dataList;
    EXPECT_EQ(days.back().events, (std::vector<AppEventGroupEventModel> {{controlFans, 0}, {"second", 0}}));
    EXPECT_EQ(days[29].events, (std::vector<AppEventGroupEventModel> {{controlFans, 0}}));

    // A last day ahead leaves the group as it is.
    storeGroup("2026-03-05");
    const auto ahead = groups();
    registerControlFans();
    EXPECT_EQ(groups(), ahead);

    // Groups of no registration, or of no name, are removed; one without days is made anew.
    const std::vector<AppEventGroupModel> odd {AppEventGroupModel("OldGroup", 1, {}),
                                               AppEventGroupModel(std::nullopt, 1, {}),
                                               AppEventGroupModel(controlFansGroup, 5, {})};
    ASSERT_TRUE(AnalyticsArchive::saveEventGroups(odd));
    console_.clear();
    registerControlFans();
    EXPECT_EQ(console_.lines(), (Lines {"注销事件分组成功: ", "注销事件分组成功: OldGroup"}));
    const auto rebuilt = groups();
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_EQ(rebuilt[0].totalCount, 1);
    expectDays(rebuilt[0].dataList, 31, "2026-01-30", "2026-03-01");
    EXPECT_TRUE(events_.empty());
}

TEST_F(QVAppCenterTest, AWindowPassingItsThresholdEveryDaySendsItsTotals)
{
    const std::vector<AppEventGroupChildModel> twoDays {{"2026-02-28", {{controlFans, 2}, {"other", 9}}},
                                                        {"2026-03-01", {{controlFans, 2}}}};
    QVAppCenter::trackEventGroup("日高频用户", controlFansGroup, twoDays, {controlFans}, 1);
    EXPECT_EQ(console_.lines(), Lines {"Generated JSON string: [{\"event\":\"开始控制风扇\",\"count\":\"4\"}]"});
    EXPECT_EQ(events_,
              (Events {{"日高频用户",
                        {{"name", controlFansGroup}, {"events", "[{\"event\":\"开始控制风扇\",\"count\":\"4\"}]"}}}}));

    console_.clear();
    events_.clear();
    QVAppCenter::trackEventGroup("日高频用户", controlFansGroup, {{"2026-03-01", {{controlFans, 1}}}}, {controlFans},
                                 1);
    QVAppCenter::trackEventGroup("日高频用户", controlFansGroup, {}, {controlFans}, -1);
    EXPECT_TRUE(console_.lines().empty());
    EXPECT_TRUE(events_.empty());

    // A name that cannot be serialised: the event goes out with no list.
    QVAppCenter::trackEventGroup("月高频用户", std::nullopt, {{"2026-03-01", {{"\xff", 2}}}}, {"\xff"}, 1);
    EXPECT_EQ(console_.lines(),
              (Lines {"Error converting eventList to JSON string: The data couldn’t be written because it "
                      "isn’t in the correct format.",
                      "Generated JSON string: nil"}));
    EXPECT_EQ(events_, (Events {{"月高频用户", {{"name", ""}, {"events", ""}}}}));
    events_.clear();

    // Counted days reach the events after a day change.
    storeGroup("2026-02-28", 2);
    registerControlFans();
    Lines names;
    for (const MSACEvent& event : events_)
        names.push_back(event.name + " " + event.properties.at("events"));
    EXPECT_EQ(names, (Lines {"日高频用户 [{\"event\":\"开始控制风扇\",\"count\":\"2\"}]",
                             "月高频用户 [{\"event\":\"开始控制风扇\",\"count\":\"60\"}]"}));
}

TEST_F(QVAppCenterTest, RecordsArchiveTheirFieldsAndTheDayHelpersFollowTheCalendar)
{
    const auto empty = Foundation::KeyedArchiver::archivedData(std::vector<AppUserActivityModel> {{}});
    ASSERT_TRUE(empty);
    EXPECT_EQ(std::string(empty->begin(), empty->end()),
              R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":{"$class":"NSArray","$objects":[)"
              R"({"$class":"AppUserActivityModel","activity":false}]}})");

    const std::vector<AppEventGroupModel> group {
        AppEventGroupModel(controlFansGroup, 1, {{"2026-03-01", {{controlFans, 0}}}})};
    ASSERT_TRUE(AnalyticsArchive::saveEventGroups(group));
    EXPECT_EQ(groups(), group);

    EXPECT_TRUE(QVAppCenter::isSameDay({1772319600}, {1772405999})); // 00:00:00 and 23:59:59 of 2026-03-01
    EXPECT_FALSE(QVAppCenter::isSameDay({1772405999}, {1772406000}));
    EXPECT_TRUE(QVAppCenter::isSameDay({1792881000}, {1792967400})); // 00:30 and 23:30 of 2026-10-25, 25 hours
    EXPECT_FALSE(QVAppCenter::dateFromString("2026-13-01", "yyyy-MM-dd"));
    EXPECT_EQ(QVAppCenter::dateFromString("2026-03-01", "yyyy-MM-dd"),
              Foundation::PropertyListValue::Date {1772319600});
    EXPECT_FALSE(CalendarDay::fromText(" 2026-03-01"));
    EXPECT_FALSE(CalendarDay::fromText("2026-3-01"));
}

TEST_F(QVAppCenterTest, TheSettingsPaneEventsNameTheSwitchAndItsNewState)
{
    for (const bool on : {true, false}) {
        QVAppCenter::trackLaunchAtLogin(on);
        QVAppCenter::trackStatusBarIconHidden(on);
        QVAppCenter::trackStatusBarIconAnimation(on);
        QVAppCenter::trackFansSync(on);
    }
    Lines names;
    for (const MSACEvent& event : events_)
        names.push_back(event.name + (event.properties.empty() ? "" : " with properties"));
    EXPECT_EQ(names, (Lines {"开启 开机自启动", "隐藏 菜单栏图标", "开启--菜单栏图标动画", "开启--同步控制",
                             "关闭 开机自启动", "显示 菜单栏图标", "关闭--菜单栏图标动画", "关闭--同步控制"}));
}
