#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <compare>
#include <cstdint>
#include <string_view>

namespace QVToolsKit {

// The running system's version and comparisons with it. The version is read afresh on every call
// (from the process-information service), except is26OrLater, which is decided once.
class QVTOOLSKIT_EXPORT QVSystemVersionUtil {
public:
    // Compared major first, then minor, then patch.
    struct Version {
        std::int64_t major = 0;
        std::int64_t minor = 0;
        std::int64_t patch = 0;
        auto operator<=>(const Version&) const = default;
    };

    // Whether the system is 26.0.0 or later, decided on first use and kept for the process.
    static bool is26OrLater();
    static Version currentVersion();

    // Both bounds inclusive; false when minVersion lies above maxVersion.
    static bool isCurrentVersion(Version minVersion, Version maxVersion);
    static bool isMajorVersion(std::int64_t major);
    static bool isAtLeastMajor(std::int64_t major);

    // Version texts such as "14.2.1"; see parseVersion.
    static bool isEqualTo(std::string_view version);
    static bool isAtLeast(std::string_view version);
    static bool isAtMost(std::string_view version);
    static bool isGreaterThan(std::string_view version);
    static bool isLessThan(std::string_view version);

private:
    friend struct QVSystemVersionUtilAccess; // tests

    // Pieces split at ".", empty pieces dropped; a piece that is not a decimal integer (optional sign)
    // counts as 0 in its place; missing numbers are 0 and numbers past the third are ignored.
    static Version parseVersion(std::string_view version);
};

} // namespace QVToolsKit
