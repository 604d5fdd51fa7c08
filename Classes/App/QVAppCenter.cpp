#include "Classes/App/QVAppCenter.h"

#include "Classes/App/AnalyticsArchive.h"
#include "Classes/App/CalendarDay.h"
#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/JSONCoding.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DateFormatter.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "Platform/Vendors/MSACAppCenter.h"
#include "QVToolsKit/QVDateManager.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace Aerlo {

namespace {

using Foundation::Console;
using Vendors::MSACAnalytics;

constexpr std::string_view controlFansGroup = "AppCenterGroupStartControlFans";
constexpr std::string_view controlFansEvent = "开始控制风扇";

std::optional<CalendarDay> dayOf(const std::optional<std::string>& text)
{
    return text ? CalendarDay::fromText(*text) : std::nullopt;
}

// The first day of a walk that ends today: the day after `last`, but never more than `kept` days back.
CalendarDay firstNewDay(CalendarDay last, CalendarDay today, std::size_t kept)
{
    return std::max(last.adding(1), today.adding(1 - static_cast<int>(kept)));
}

AppEventGroupChildModel dayRecord(CalendarDay day, const std::vector<std::string>& events)
{
    AppEventGroupChildModel record(day.text(), {});
    for (const std::string& event : events)
        record.events.emplace_back(event, 0);
    return record;
}

AppEventGroupModel newGroup(const std::string& name, const std::vector<std::string>& events, std::int64_t totalCount,
                            CalendarDay today)
{
    AppEventGroupModel group(name, totalCount, {});
    for (int back = static_cast<int>(QVAppCenter::keptGroupDays) - 1; back >= 0; --back)
        group.dataList.push_back(dayRecord(today.adding(-back), events));
    return group;
}

// The stored groups, or none after `errorPrefix` and the error when the archive cannot be read.
std::vector<AppEventGroupModel> loadedGroups(std::string_view errorPrefix)
{
    auto loaded = AnalyticsArchive::loadEventGroups();
    if (!loaded) {
        Console::print(std::string(errorPrefix) + loaded.error());
        return {};
    }
    return std::move(loaded).value().value_or(std::vector<AppEventGroupModel>());
}

bool savedGroups(const std::vector<AppEventGroupModel>& groups)
{
    const auto saved = AnalyticsArchive::saveEventGroups(groups);
    if (!saved)
        Console::print("Error archiving event group data: " + saved.error());
    return saved.ok();
}

// Removes the first group of that name (or without one), saying so once it is saved.
void removeGroup(const std::optional<std::string>& name)
{
    std::vector<AppEventGroupModel> groups = loadedGroups("Error unarchiving event group data: ");
    const auto group = std::ranges::find(groups, name, &AppEventGroupModel::name);
    if (group == groups.end())
        return;
    groups.erase(group);
    if (savedGroups(groups))
        Console::print("注销事件分组成功: " + name.value_or(""));
}

std::int64_t saturatedSum(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return sum;
}

void trackSetting(bool on, std::string_view onEvent, std::string_view offEvent)
{
    MSACAnalytics::trackEvent(on ? onEvent : offEvent);
}

} // namespace

void QVAppCenter::start()
{
    Vendors::MSACAppCenter::start(appSecret, {Vendors::MSACService::MSACAnalytics, Vendors::MSACService::MSACCrashes});
    trackFirstInstall();
    (void)Foundation::Timer::scheduledTimer(activityTimerInterval, true, [](Foundation::Timer&) { trackActiveDays(); });
    trackActiveDays();
    registerEventGroups(
        {AppCenterEventGroupRegisterModel(std::string(controlFansGroup), {std::string(controlFansEvent)}, 1)});
}

void QVAppCenter::trackFirstInstall(std::string_view suiteName)
{
    Foundation::UserDefaults* suite = Foundation::UserDefaults::suite(suiteName);
    if (!suite) {
        Console::print("Failed to initialize UserDefaults with app group identifier");
        return;
    }
    if (suite->boolValue(firstInstallKey))
        return;
    Console::print("首次安装");
    std::error_code ignored;
    const bool receipt = std::filesystem::exists(Foundation::Bundle::main().appStoreReceiptURL(), ignored);
    (void)suite->set(true, firstInstallKey);
    MSACAnalytics::trackEvent("App首次安装",
                              {{"version", appVersion()}, {"channel", receipt ? "App store" : "Offline"}});
}

void QVAppCenter::trackActiveDays()
{
    auto loaded = AnalyticsArchive::loadActivityList();
    if (!loaded)
        Console::print("Error: " + loaded.error());
    std::vector<AppUserActivityModel> list;
    if (loaded && loaded.value())
        list = std::move(*loaded.value());
    const CalendarDay today = CalendarDay::today();
    const std::optional<CalendarDay> lastDay = list.empty() ? std::nullopt : dayOf(list.back().date);
    if (!lastDay) {
        // No history, an unreadable one, or a last day that cannot be read: start afresh, nothing sent.
        list = initialActivityList();
    } else if (*lastDay > today) {
        Console::print("最后一条日期比当前日期大，有可能是用户改了日期");
        return;
    } else if (*lastDay == today) {
        list.back().activity = true;
    } else {
        for (CalendarDay day = firstNewDay(*lastDay, today, keptActivityDays); day <= today; day = day.adding(1))
            list.emplace_back(day.text(), day == today);
        if (list.size() > keptActivityDays)
            list.erase(list.begin(), list.end() - keptActivityDays);
        const auto active = std::ranges::count_if(list, &AppUserActivityModel::activity);
        const MSACAnalytics::Properties properties {{"active_day_count", std::to_string(active)}};
        if (active > 20)
            MSACAnalytics::trackEvent("高活跃用户", properties);
        if (active >= 30)
            MSACAnalytics::trackEvent("30天连续活跃用户", properties);
    }
    if (const auto saved = AnalyticsArchive::saveActivityList(list); !saved)
        Console::print("Error: " + saved.error());
}

void QVAppCenter::registerEventGroups(const std::vector<AppCenterEventGroupRegisterModel>& registrations)
{
    auto loaded = AnalyticsArchive::loadEventGroups();
    if (!loaded)
        Console::print("Error: " + loaded.error());
    std::vector<AppEventGroupModel> groups = loaded
                                                 ? std::move(loaded).value().value_or(std::vector<AppEventGroupModel>())
                                                 : std::vector<AppEventGroupModel>();
    // A group without a name cannot be named for removal, and would stay for ever: removed too.
    const auto stale = [&](const AppEventGroupModel& group) {
        return !group.name || std::ranges::none_of(registrations, [&](const auto& registration) {
            return registration.name == *group.name;
        });
    };
    // Every stale group goes in one save, named from the last to the first.
    std::vector<std::string> removed;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group)
        if (stale(*group))
            removed.push_back(group->name.value_or(""));
    if (!removed.empty()) {
        std::erase_if(groups, stale);
        if (savedGroups(groups))
            for (const std::string& name : removed)
                Console::print("注销事件分组成功: " + name);
    }
    for (const AppCenterEventGroupRegisterModel& registration : registrations)
        updateEventGroup(registration.name, registration.events, registration.totalCount);
}

void QVAppCenter::unregisterEventGroup(const std::string& name) { removeGroup(name); }

void QVAppCenter::updateEventGroup(const std::string& name, const std::vector<std::string>& events,
                                   std::int64_t totalCount)
{
    std::vector<AppEventGroupModel> groups = loadedGroups("Error unarchiving event group data: ");
    const CalendarDay today = CalendarDay::today();
    const auto group = std::ranges::find(groups, std::optional<std::string>(name), &AppEventGroupModel::name);
    const std::optional<CalendarDay> lastDay =
        group == groups.end() || group->dataList.empty() ? std::nullopt : dayOf(group->dataList.back().date);
    if (group == groups.end()) {
        groups.push_back(newGroup(name, events, totalCount, today));
    } else if (!lastDay) {
        // Without days, or with a last day that cannot be read, the group would never move on: made anew.
        *group = newGroup(name, events, totalCount, today);
    } else if (*lastDay == today) {
        std::vector<AppEventGroupEventModel>& counters = group->dataList.back().events;
        for (const std::string& event : events)
            if (std::ranges::find(counters, std::optional<std::string>(event), &AppEventGroupEventModel::event)
                == counters.end())
                counters.emplace_back(event, 0);
    } else if (*lastDay < today) {
        const AppEventGroupChildModel lastRecord = group->dataList.back();
        for (CalendarDay day = firstNewDay(*lastDay, today, keptGroupDays); day <= today; day = day.adding(1))
            group->dataList.push_back(dayRecord(day, events));
        std::vector<AppEventGroupChildModel>& days = group->dataList;
        if (days.size() > keptGroupDays)
            days.erase(days.begin(), days.end() - keptGroupDays);
        const auto twoWeeks = days.end() - std::min<std::ptrdiff_t>(14, std::ssize(days));
        const auto month = days.begin() + std::min<std::ptrdiff_t>(30, std::ssize(days));
        trackEventGroup("日高频用户", group->name, {lastRecord}, events, totalCount);
        trackEventGroup("2周高频用户", group->name, {twoWeeks, days.end()}, events, totalCount);
        trackEventGroup("月高频用户", group->name, {days.begin(), month}, events, totalCount);
    }
    (void)savedGroups(groups);
}

void QVAppCenter::trackEventGroup(std::string_view eventName, const std::optional<std::string>& groupName,
                                  const std::vector<AppEventGroupChildModel>& window,
                                  const std::vector<std::string>& events, std::int64_t threshold)
{
    if (window.empty())
        return;
    for (const AppEventGroupChildModel& day : window) {
        std::int64_t sum = 0;
        for (const AppEventGroupEventModel& counter : day.events)
            if (counter.event && std::ranges::find(events, *counter.event) != events.end())
                sum = saturatedSum(sum, counter.count);
        if (sum <= threshold)
            return;
    }
    nlohmann::ordered_json eventList = nlohmann::ordered_json::array();
    bool writable = true;
    for (const std::string& event : events) {
        std::int64_t total = 0;
        for (const AppEventGroupChildModel& day : window) {
            const auto counter =
                std::ranges::find(day.events, std::optional<std::string>(event), &AppEventGroupEventModel::event);
            if (counter != day.events.end())
                total = saturatedSum(total, counter->count);
        }
        writable = writable && Foundation::UTF8::isValid(event);
        eventList.push_back({{"event", event}, {"count", std::to_string(total)}});
    }
    std::optional<std::string> text;
    if (writable)
        text = JSONCoding::compactText(eventList);
    else
        Console::print("Error converting eventList to JSON string: " + std::string(JSONCoding::unwritableData));
    Console::print("Generated JSON string: " + text.value_or("nil"));
    MSACAnalytics::trackEvent(eventName, {{"name", groupName.value_or("")}, {"events", text.value_or("")}});
}

std::vector<AppUserActivityModel> QVAppCenter::initialActivityList()
{
    const CalendarDay today = CalendarDay::today();
    std::vector<AppUserActivityModel> list;
    for (int back = static_cast<int>(keptActivityDays) - 1; back >= 0; --back)
        list.emplace_back(today.adding(-back).text(), back == 0);
    return list;
}

std::optional<Foundation::PropertyListValue::Date> QVAppCenter::dateFromString(std::string_view text,
                                                                               std::string_view format)
{
    Foundation::DateFormatter formatter;
    formatter.setDateFormat(std::string(format));
    formatter.setLocale("en_US_POSIX");
    return formatter.date(text);
}

bool QVAppCenter::isSameDay(Foundation::PropertyListValue::Date a, Foundation::PropertyListValue::Date b)
{
    return QVToolsKit::QVDateManager::isSameDay(a, b);
}

void QVAppCenter::trackLaunchAtLogin(bool enabled) { trackSetting(enabled, "开启 开机自启动", "关闭 开机自启动"); }

void QVAppCenter::trackStatusBarIconHidden(bool hidden) { trackSetting(hidden, "隐藏 菜单栏图标", "显示 菜单栏图标"); }

void QVAppCenter::trackStatusBarIconAnimation(bool enabled)
{
    trackSetting(enabled, "开启--菜单栏图标动画", "关闭--菜单栏图标动画");
}

void QVAppCenter::trackFansSync(bool enabled) { trackSetting(enabled, "开启--同步控制", "关闭--同步控制"); }

} // namespace Aerlo
