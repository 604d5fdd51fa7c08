#include "QVToolsKit/QVAppRatingManager.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/ProcessInfo.h"
#include "Platform/System/StoreReviewController.h"
#include "Platform/System/Workspace.h"

#include <filesystem>
#include <string>

namespace QVToolsKit {

namespace {

constexpr double secondsPerDay = 86400;

double now() { return Foundation::RunLoop::main().clock().wallTime(); }

} // namespace

void QVAppRatingManager::showWith(std::string_view appID, std::int64_t minExecCount, std::int64_t daysSinceFirstLaunch,
                                  std::int64_t daysSinceLastPrompt, double delayInSeconds)
{
    std::error_code error;
    if (!std::filesystem::exists(Foundation::Bundle::main().appStoreReceiptURL(), error))
        return;

    auto& defaults = Foundation::UserDefaults::standard();
    double firstLaunch = defaults.doubleValue(firstLaunchTimeKey);
    if (firstLaunch == 0) {
        firstLaunch = now();
        (void)defaults.set(firstLaunch, firstLaunchTimeKey);
    }
    const std::int64_t count = defaults.integer(execCountKey) + 1;
    (void)defaults.set(count, execCountKey);

    const double current = now();
    const double lastShow = defaults.doubleValue(lastShowTimeKey);
    const auto days = [](std::int64_t count) { return static_cast<double>(count) * secondsPerDay; };
    const bool due = count >= minExecCount && current - firstLaunch >= days(daysSinceFirstLaunch)
                     && (lastShow <= 0 || current - lastShow >= days(daysSinceLastPrompt));
    if (!due) {
        (void)defaults.synchronize();
        return;
    }
    Foundation::DispatchQueue::main().asyncAfter(
        Foundation::DispatchTime::now() + delayInSeconds,
        [appID = std::string(appID), dueTime = current + delayInSeconds] { prompt(appID, dueTime); });
}

void QVAppRatingManager::prompt(std::string_view appID, double dueTime)
{
    auto& defaults = Foundation::UserDefaults::standard();
    (void)defaults.set(dueTime, lastShowTimeKey);
    (void)defaults.set(std::int64_t(0), execCountKey);
    (void)defaults.synchronize();
    if (SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(15, 0)) {
        SystemPlatform::StoreReviewController::requestReview();
        return;
    }
    const std::string address =
        "itms-apps://" + std::string(storeHost) + "/app/id" + std::string(appID) + "?action=write-review";
    if (const auto url = Foundation::URL::string(address))
        (void)SystemPlatform::Workspace::shared().open(*url);
}

} // namespace QVToolsKit
