#pragma once

#include "Classes/App/AppEventGroupModel.h"
#include "Classes/App/AppUserActivityModel.h"
#include "Platform/Foundation/Result.h"

#include <optional>
#include <string_view>
#include <vector>

namespace Aerlo {

// The analytics histories as keyed archives (Data) in the standard suite, each read with only its own
// classes allowed. A load gives an error when the archive cannot be read, nothing when the key is absent
// or the archive holds no array of the records; in both of those cases the stored bytes are first kept
// under the key's aside key, since the caller then replaces them. A save gives an error when the list
// cannot be archived or the suite's file cannot be written, and the old value then stays.
class AnalyticsArchive {
public:
    static constexpr std::string_view userActivityKey = "UserActivityKey";
    static constexpr std::string_view eventGroupKey = "EventGroupKey";
    static constexpr std::string_view userActivityAsideKey = "UserActivityKey.corrupt";
    static constexpr std::string_view eventGroupAsideKey = "EventGroupKey.corrupt";
    // Why a save that archived its list did not get into the store.
    static constexpr std::string_view unsavedData = "The file couldn’t be saved.";

    static Foundation::Result<std::optional<std::vector<AppUserActivityModel>>> loadActivityList();
    static Foundation::Result<void> saveActivityList(const std::vector<AppUserActivityModel>& list);
    static Foundation::Result<std::optional<std::vector<AppEventGroupModel>>> loadEventGroups();
    static Foundation::Result<void> saveEventGroups(const std::vector<AppEventGroupModel>& groups);
};

} // namespace Aerlo
