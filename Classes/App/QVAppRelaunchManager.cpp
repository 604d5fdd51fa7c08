#include "Classes/App/QVAppRelaunchManager.h"

#include "Classes/App/AppDelegate.h"
#include "Classes/App/VIZevUri.h"
#include "Classes/FanControl/FanRuleEvaluator.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ProcessImage.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace Aerlo {

namespace {

using Foundation::Console;

Foundation::SharedInstance<QVAppRelaunchManager>& instance()
{
    static Foundation::SharedInstance<QVAppRelaunchManager> shared;
    return shared;
}

std::optional<std::int64_t> product(std::int64_t a, std::int64_t b)
{
    std::int64_t result;
    if (__builtin_mul_overflow(a, b, &result))
        return std::nullopt;
    return result;
}

std::optional<std::int64_t> sum(std::optional<std::int64_t> a, std::optional<std::int64_t> b)
{
    std::int64_t result;
    if (!a || !b || __builtin_add_overflow(*a, *b, &result))
        return std::nullopt;
    return result;
}

std::string secondsText(double seconds) { return Foundation::NumberText::fixed(seconds, 1); }

} // namespace

QVAppRelaunchManager& QVAppRelaunchManager::shared() { return instance().get(); }

void QVAppRelaunchManager::resetForTesting()
{
    if (auto& manager = instance().get(); manager.restartTimer)
        manager.restartTimer->invalidate();
    instance().resetForTesting();
}

QVAppRelaunchManager::QVAppRelaunchManager() : launcher_(SystemPlatform::ProcessImage::replace) {}

std::optional<double> QVAppRelaunchManager::intervalSeconds(std::int64_t hours, std::int64_t minutes,
                                                            std::int64_t seconds, int unit)
{
    std::optional<std::int64_t> total;
    switch (unit) {
    case 0:
        total = hours;
        break;
    case 1:
        total = product(hours, 60);
        break;
    case 2:
        total = product(hours, 3600);
        break;
    case 3:
        total = sum(sum(product(hours, 3600), product(minutes, 60)), seconds);
        break;
    default:
        break;
    }
    if (!total || *total <= 0)
        return std::nullopt;
    return static_cast<double>(*total);
}

std::optional<double> QVAppRelaunchManager::parseIntervalOverride(const char* text)
{
    if (!text || !*text)
        return std::nullopt;
    double seconds = 0;
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, seconds);
    if (error != std::errc() || last != end || !std::isfinite(seconds) || seconds <= 0) {
        Console::print("AERLO_RELAUNCH_SECONDS is not a positive number of seconds and is ignored: "
                       + std::string(text));
        return std::nullopt;
    }
    return seconds;
}

void QVAppRelaunchManager::scheduleRestart(std::int64_t hours, std::int64_t minutes, std::int64_t seconds, int unit)
{
    if (restartTimer)
        restartTimer->invalidate();
    restartTimer.reset();
    const auto interval = intervalSeconds(hours, minutes, seconds, unit);
    if (!interval) {
        Console::print("重启计划无效，不安排重启: " + std::to_string(hours) + ", " + std::to_string(minutes) + ", "
                       + std::to_string(seconds) + ", " + std::to_string(unit));
        return;
    }
    schedule(override_.value_or(*interval));
}

void QVAppRelaunchManager::schedule(double interval)
{
    interval_ = interval;
    VIZevUri::shared().log("⚙️ [QVAppRelaunchManager] 已安排应用将在 " + secondsText(interval)
                           + " 秒后重启");
    restartTimer = Foundation::Timer::scheduledTimer(interval, false, [this](Foundation::Timer&) { restartApp(); });
}

void QVAppRelaunchManager::restartApp()
{
    const Foundation::Bundle bundle = Foundation::Bundle::main();
    VIZevUri::shared().log("🔄 [QVAppRelaunchManager] 正在重启应用：" + bundle.bundlePath().string());
    const auto executable = bundle.executablePath();
    Foundation::Result<void> result = Foundation::Error("The bundle names no executable.");
    if (executable) {
        // A rebuilt executable would be refused by the daemon while this process still owns the fans.
        const bool imageChanged = !SystemPlatform::ProcessImage::isRunningImage(*executable);
        if (imageChanged)
            restoreAutomaticFanControl();
        (void)SMCHelper::shared()->flush(SMCHelper::defaultFlushSeconds);
        result = launcher_(*executable, SystemPlatform::ProcessImage::startArguments());
        // The process was replaced (a recorder in tests says so too).
        if (result.ok())
            return;
        if (imageChanged)
            if (const auto delegate = AppDelegate::applicationDelegate().lock())
                delegate->postSelectedFanMode();
    }
    Console::print("重启应用失败: " + result.error());
    if (interval_ > 0)
        schedule(interval_);
}

} // namespace Aerlo
