#pragma once

#include "Platform/Foundation/KeyedUnarchiver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// One counter of a day of an event group: the event's name and how often it happened.
struct AppEventGroupEventModel {
    static constexpr std::string_view className = "AppEventGroupEventModel";
    static constexpr bool supportsSecureCoding = true;

    AppEventGroupEventModel() = default;
    AppEventGroupEventModel(std::optional<std::string> event, std::int64_t count)
        : event(std::move(event)), count(count)
    {
    }
    explicit AppEventGroupEventModel(Foundation::KeyedUnarchiver& coder);
    void encode(Foundation::KeyedArchiver& coder) const;

    bool operator==(const AppEventGroupEventModel&) const = default;

    std::optional<std::string> event;
    std::int64_t count = 0;
};

} // namespace Aerlo
