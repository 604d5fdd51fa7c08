#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace QVToolsKit {

// Tells whether two files are the same version: equal SHA-256 digests and equal modification times.
class QVTOOLSKIT_EXPORT QVFileAdministrator {
public:
    using Date = std::chrono::sys_time<std::chrono::nanoseconds>;

    // True only when both files can be read, their digests match and their modification times are
    // the same to the nanosecond. A missing or unreadable file gives false without a message.
    static bool checkFileAreEqual(const std::filesystem::path& sourcePath,
                                  const std::filesystem::path& destinationPath);

private:
    friend struct QVFileAdministratorAccess; // tests

    // The file's SHA-256 digest: 64 lower-case hex digits, or nothing when the file cannot be read.
    static std::optional<std::string> sha256Hash(const std::filesystem::path& path);

    static std::optional<Date> modificationDate(const std::filesystem::path& path);
    // The item's own attributes (a symbolic link is not followed); prints why when they cannot be read.
    static std::optional<struct stat> fileAttributes(const std::filesystem::path& path);
};

} // namespace QVToolsKit
