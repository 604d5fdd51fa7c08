#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/Vendors/SUAppcastItem.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace Vendors {

// A feed of releases: a JSON object {"items": [{"title", "versionString", "displayVersionString",
// "fileURL", "itemDescription"}, …]}, newest first or in any order. Parsing is strict: no NUL byte, no
// duplicate key, no trailing data, every field text when present, every number of a build number within
// 64 bits; an item without a "versionString" text is left out.
class SUAppcast {
public:
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    // The error says what is wrong with the text ("it is not JSON", "item 2 …").
    static Foundation::Result<SUAppcast> parse(std::string_view json);
    // The error says why the file cannot be read: missing, not a regular file, too big, or what parse says.
    static Foundation::Result<SUAppcast> read(const std::filesystem::path& path);

    // Whether build number `a` orders before `b`, number by number ("9" before "10"; missing numbers 0).
    static bool versionOrdersBefore(std::string_view a, std::string_view b);

    std::vector<SUAppcastItem> items;
};

} // namespace Vendors
