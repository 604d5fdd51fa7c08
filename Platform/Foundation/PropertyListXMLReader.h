#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace Foundation {

// Reads XML property lists (<plist> with dict, array, key, string, integer, real, true, false, date and
// data). Never throws: anything malformed, a duplicate key, nesting deeper than `maximumDepth`, more
// than `maximumBytes` or a binary property list reads as none.
class AERLO_FOUNDATION_EXPORT PropertyListXMLReader {
public:
    static constexpr std::size_t maximumBytes = 1 << 20;
    static constexpr int maximumDepth = 64;

    static std::optional<PropertyListValue> read(std::string_view text);
    static std::optional<PropertyListValue> readFile(const std::filesystem::path& path);
};

} // namespace Foundation
