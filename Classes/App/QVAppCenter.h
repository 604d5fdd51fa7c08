#pragma once

#include "Classes/App/AppCenterEventGroupRegisterModel.h"
#include "Classes/App/AppEventGroupModel.h"
#include "Classes/App/AppUserActivityModel.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// Starts the analytics SDK and sends the application's own usage events: the first install, the active
// days of the last 30 and the event groups' high-frequency days. Everything runs on the main thread.
// The histories step by calendar day and never walk further back than the days they keep.
class QVAppCenter {
public:
    static constexpr std::string_view appSecret = "3f9c1e27-8b4d-4a6e-9d12-5c7b0e4a8f31";
    static constexpr double activityTimerInterval = 3600.0;
    static constexpr std::string_view firstInstallKey = "AppFirstInstallkey";
    static constexpr std::string_view dayFormat = "yyyy-MM-dd";
    static constexpr std::size_t keptActivityDays = 30;
    static constexpr std::size_t keptGroupDays = 31;

    // The SDK, the first-install event, the hourly activity timer (never stopped), the activity now and
    // the one event group.
    static void start();
    // Sends "App首次安装" once per app-group suite.
    static void trackFirstInstall(std::string_view suiteName = Foundation::UserDefaults::appGroupSuiteName);
    static void trackActiveDays();
    static void registerEventGroups(const std::vector<AppCenterEventGroupRegisterModel>& registrations);
    static void updateEventGroup(const std::string& name, const std::vector<std::string>& events,
                                 std::int64_t totalCount);
    static void unregisterEventGroup(const std::string& name);
    // Sends `eventName` when every day of `window` counts more than `threshold` of `events`; an empty
    // window sends nothing.
    static void trackEventGroup(std::string_view eventName, const std::optional<std::string>& groupName,
                                const std::vector<AppEventGroupChildModel>& window,
                                const std::vector<std::string>& events, std::int64_t threshold);

    // The last 30 days up to today, only today active.
    static std::vector<AppUserActivityModel> initialActivityList();
    // The text read with `format` in the current zone (Gregorian, ASCII digits); nothing when it does not parse.
    static std::optional<Foundation::PropertyListValue::Date> dateFromString(std::string_view text,
                                                                             std::string_view format);
    // The same year, month and day in the current calendar.
    static bool isSameDay(Foundation::PropertyListValue::Date a, Foundation::PropertyListValue::Date b);

    // The settings pane's events, sent when the user switches a setting.
    static void trackLaunchAtLogin(bool enabled);
    static void trackStatusBarIconHidden(bool hidden);
    static void trackStatusBarIconAnimation(bool enabled);
    static void trackFansSync(bool enabled);
};

} // namespace Aerlo
