#pragma once

#include "Platform/Foundation/KeyedUnarchiver.h"

#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// One day of the activity history: the day ("yyyy-MM-dd") and whether the application ran that day.
struct AppUserActivityModel {
    static constexpr std::string_view className = "AppUserActivityModel";
    static constexpr bool supportsSecureCoding = true;

    AppUserActivityModel() = default;
    AppUserActivityModel(std::optional<std::string> date, bool activity) : date(std::move(date)), activity(activity) {}
    // A "date" that is missing reads as none, after a printed line.
    explicit AppUserActivityModel(Foundation::KeyedUnarchiver& coder);
    void encode(Foundation::KeyedArchiver& coder) const;

    bool operator==(const AppUserActivityModel&) const = default;

    std::optional<std::string> date;
    bool activity = false;
};

} // namespace Aerlo
