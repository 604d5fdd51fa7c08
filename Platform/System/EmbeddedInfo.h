#pragma once

#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace SystemPlatform {

// The info dictionary embedded in an executable (see EmbeddedInfoSection.h): the JSON object held by
// the ".aerlo_info" section of an ELF64 little-endian file. Reads untrusted files: every offset is
// bounds-checked, nothing throws, and a malformed file gives nothing.
class AERLO_SYSTEM_EXPORT EmbeddedInfo {
public:
    static constexpr std::string_view sectionName = ".aerlo_info";
    // Larger sections (and section-name tables) are refused.
    static constexpr std::uint64_t maximumSectionSize = 64 * 1024;
    static constexpr std::uint64_t maximumNameTableSize = 1024 * 1024;

    // The dictionary; nothing when the file is no ELF64 little-endian file, has no such section, or
    // the section holds no JSON object (trailing NUL bytes are ignored).
    static std::optional<nlohmann::json> infoDictionary(const std::filesystem::path& path);

    // The bytes of the section named `name` of a regular file; nothing when there is none or it is too large.
    static std::optional<std::string> section(const std::filesystem::path& path, std::string_view name);
};

} // namespace SystemPlatform
