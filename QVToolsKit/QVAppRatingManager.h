#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string_view>

namespace QVToolsKit {

// Asks now and then for a rating in the store, for a copy that carries a store receipt. Each call counts as
// one run; its memory is three keys of the standard defaults.
class QVTOOLSKIT_EXPORT QVAppRatingManager {
public:
    // Counts the run and, once `minExecCount` runs have been counted, `daysSinceFirstLaunch` whole days have
    // passed since the first counted one and `daysSinceLastPrompt` since the last prompt, schedules the
    // prompt on the main queue `delayInSeconds` later. Without a receipt nothing is counted.
    static void showWith(std::string_view appID, std::int64_t minExecCount, std::int64_t daysSinceFirstLaunch,
                         std::int64_t daysSinceLastPrompt, double delayInSeconds);

    static constexpr std::string_view firstLaunchTimeKey = "AppRateFirstLaunchTime";
    static constexpr std::string_view execCountKey = "AppRateExecCount";
    static constexpr std::string_view lastShowTimeKey = "AppRateLastShowTime";
    // The store's web host in the write-review address.
    static constexpr std::string_view storeHost = "apps.apple.com";

private:
    // Records the prompt as shown at `dueTime`, then asks the store (15.0 and later) or opens the
    // write-review page.
    static void prompt(std::string_view appID, double dueTime);
};

} // namespace QVToolsKit
