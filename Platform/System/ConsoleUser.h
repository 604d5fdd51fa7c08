#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace SystemPlatform {

// The user at the console: the one whose graphical session is shown. Without a graphical session
// (no DISPLAY or WAYLAND_DISPLAY) nobody is; otherwise the user this process runs as. Tests set it.
class AERLO_SYSTEM_EXPORT ConsoleUser {
public:
    struct User {
        std::string name;
        uid_t uid = 0;
    };

    static std::optional<User> current();
    // Replaces the answer (tests); nothing goes back to the session's.
    static void set(std::optional<User> user);

    // The home folder of `uid` in the password database; nothing when it has no entry or no home.
    static std::optional<std::string> homeDirectory(uid_t uid);

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace SystemPlatform
