#pragma once

#include "Platform/Vendors/SUAppcastItem.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace Vendors {

// A feed of releases: a JSON object {"items": [{"title", "versionString", "displayVersionString",
// "fileURL", "itemDescription"}, …]}, newest first or in any order. Parsing is strict: no duplicate
// key, no trailing data, every field text when present; an item without a "versionString" text is left
// out.
class SUAppcast {
public:
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    static std::optional<SUAppcast> parse(std::string_view json);
    // Nothing when the file cannot be read or parsed.
    static std::optional<SUAppcast> read(const std::filesystem::path& path);

    // Whether build number `a` orders before `b`, number by number ("9" before "10"; missing numbers 0).
    static bool versionOrdersBefore(std::string_view a, std::string_view b);

    std::vector<SUAppcastItem> items;
};

} // namespace Vendors
