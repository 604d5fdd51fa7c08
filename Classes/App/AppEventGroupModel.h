#pragma once

#include "Classes/App/AppEventGroupChildModel.h"

namespace Aerlo {

// One event group: its name, the threshold a day's count must pass, and its days, oldest first.
struct AppEventGroupModel {
    static constexpr std::string_view className = "AppEventGroupModel";
    static constexpr bool supportsSecureCoding = true;

    AppEventGroupModel() = default;
    AppEventGroupModel(std::optional<std::string> name, std::int64_t totalCount,
                       std::vector<AppEventGroupChildModel> dataList)
        : name(std::move(name)), totalCount(totalCount), dataList(std::move(dataList))
    {
    }
    explicit AppEventGroupModel(Foundation::KeyedUnarchiver& coder);
    void encode(Foundation::KeyedArchiver& coder) const;

    bool operator==(const AppEventGroupModel&) const = default;

    std::optional<std::string> name;
    std::int64_t totalCount = 0;
    std::vector<AppEventGroupChildModel> dataList;
};

} // namespace Aerlo
