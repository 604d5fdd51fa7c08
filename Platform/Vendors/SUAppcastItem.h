#pragma once

#include <optional>
#include <string>

namespace Vendors {

// One release of an appcast.
struct SUAppcastItem {
    std::optional<std::string> title;
    std::string versionString; // the build number releases are ordered by
    std::string displayVersionString; // the version shown; the build number when the feed gives none
    std::optional<std::string> fileURL;
    std::optional<std::string> itemDescription;
};

} // namespace Vendors
