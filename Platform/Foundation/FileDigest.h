#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <filesystem>
#include <optional>
#include <string>

namespace Foundation {

// Content digests of files, streamed so that memory stays bounded whatever the file's size.
class AERLO_FOUNDATION_EXPORT FileDigest {
public:
    // SHA-256 as 64 lower-case hex digits; nothing when the file cannot be opened or read.
    static std::optional<std::string> sha256(const std::filesystem::path& path);
};

} // namespace Foundation
