#pragma once

#include "Classes/App/AppEventGroupEventModel.h"

#include <vector>

namespace Aerlo {

// One day of an event group: the day ("yyyy-MM-dd") and a counter per event name.
struct AppEventGroupChildModel {
    static constexpr std::string_view className = "AppEventGroupChildModel";
    static constexpr bool supportsSecureCoding = true;

    AppEventGroupChildModel() = default;
    AppEventGroupChildModel(std::optional<std::string> date, std::vector<AppEventGroupEventModel> events)
        : date(std::move(date)), events(std::move(events))
    {
    }
    explicit AppEventGroupChildModel(Foundation::KeyedUnarchiver& coder);
    void encode(Foundation::KeyedArchiver& coder) const;

    bool operator==(const AppEventGroupChildModel&) const = default;

    std::optional<std::string> date;
    std::vector<AppEventGroupEventModel> events;
};

} // namespace Aerlo
