#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/Foundation/Timer.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The scheduled relaunch: once the interval has passed (on the main run loop, default mode), the
// bundle's executable replaces this process's image in place. The process id stays, so the helper
// daemon keeps serving it and the fans keep their mode; the helper client's queued messages go out
// first. When the executable on disk is no longer the running image (rebuilt meanwhile), the daemon
// would refuse the new image while this process still owns the fans: the fans go back to the system
// first. A relaunch that cannot run keeps this process going (fans back in the saved mode), prints one
// line and is tried again one interval later. Main thread only.
class QVAppRelaunchManager {
public:
    // Replaces the process (returns only when that failed): ProcessImage::replace, or a recorder in tests.
    using Launcher = std::function<Foundation::Result<void>(const std::filesystem::path& executable,
                                                            const std::vector<std::string>& arguments)>;

    static QVAppRelaunchManager& shared();

    QVAppRelaunchManager();

    std::shared_ptr<Foundation::Timer> restartTimer;

    // Replaces the pending relaunch with one `intervalSeconds` from now; an interval that is not positive,
    // overflows or has an unknown unit schedules nothing (one line). The interval override, when set,
    // stands for any valid interval.
    void scheduleRestart(std::int64_t hours, std::int64_t minutes, std::int64_t seconds, int unit);
    // 0: hours as seconds; 1: hours × 60; 2: hours × 3600; 3: hours × 3600 + minutes × 60 + seconds.
    // Nothing for an unknown unit, a result not above zero or one beyond 64 bits.
    static std::optional<double> intervalSeconds(std::int64_t hours, std::int64_t minutes, std::int64_t seconds,
                                                 int unit);
    void restartApp();

    void setLauncher(Launcher launcher) { launcher_ = std::move(launcher); }
    // Seconds that replace every valid interval (a test of the whole program sees a relaunch soon).
    void setIntervalOverride(std::optional<double> seconds) { override_ = seconds; }
    // The override from `text` (an environment value): a positive finite number of seconds, else nothing
    // (one line when the text is not empty).
    static std::optional<double> parseIntervalOverride(const char* text);

private:
    void schedule(double interval);

    Launcher launcher_;
    std::optional<double> override_;
    double interval_ = 0;

    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Aerlo
