#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <optional>
#include <string>

namespace SystemPlatform {

struct AERLO_SYSTEM_EXPORT OperatingSystemVersion {
    std::int64_t majorVersion = 0;
    std::int64_t minorVersion = 0;
    std::int64_t patchVersion = 0;
};

// The process's view of the operating system: the simulated Mac's, from the active machine profile.
class AERLO_SYSTEM_EXPORT ProcessInfo {
public:
    // "14.5" gives 14, 5, 0; no machine gives 0, 0, 0.
    static OperatingSystemVersion operatingSystemVersion();
    // "Version 14.5 (Build 23F79)"; no machine gives the empty text.
    static std::string operatingSystemVersionString();
    // Whether the running system's version is at least major.minor.patch (the availability test).
    static bool isOperatingSystemAtLeast(std::int64_t major, std::int64_t minor = 0, std::int64_t patch = 0);

    // The user's account name; the password database's, else $USER, else "".
    static std::string userName();
    // The first comma field of the account's full-name entry; empty: the account name.
    static std::string fullUserName();

    struct UserNames {
        std::string userName;
        std::string fullUserName;
    };

private:
    friend struct ::TestAccess;
    // Tests: the names to answer (the full name goes through the same fallback); nothing: the account's.
    static void setUserNamesForTesting(std::optional<UserNames> names);
};

} // namespace SystemPlatform
