#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Aerlo {

// One event-group registration: the group's name, the event names it counts and the threshold a day's
// count must pass. Made only with all three.
struct AppCenterEventGroupRegisterModel {
    AppCenterEventGroupRegisterModel(std::string name, std::vector<std::string> events, std::int64_t totalCount)
        : name(std::move(name)), events(std::move(events)), totalCount(totalCount)
    {
    }

    std::string name;
    std::vector<std::string> events;
    std::int64_t totalCount;
};

} // namespace Aerlo
