#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/TestAccess.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// Where the fixed macOS program paths ("/bin/zsh", "/usr/bin/say", …) point on this system.
// A path in the map goes to its Linux counterpart or stand-in, or to nothing when the map
// holds an empty target (the program is not available); a path not in the map is used as it is.
// Process resolves every executable through here. Thread-safe.
class AERLO_FOUNDATION_EXPORT ToolMap {
public:
    // The program to start for `macPath`; nothing when it is mapped to nothing.
    static std::optional<std::string> resolve(std::string_view macPath);

    // Points `macPath` at `target` (a Linux program or a test fake); an empty target means "not available".
    static void set(std::string_view macPath, std::string_view target);
    // Takes `macPath` out of the map: it is then used as it is.
    static void remove(std::string_view macPath);

    // The defaults for this system: "/bin/zsh" goes to zsh when installed, else "/bin/sh"; the programs that
    // Linux has at the same path go to themselves; the macOS-only tools go to nothing until a stand-in is set.
    static std::map<std::string, std::string> defaults();

    // Where one of our stand-in programs lies: beside the main bundle's executable when the bundle carries it
    // (an installed copy), else `built` (where the build put it).
    static std::string standIn(std::string_view name, std::string_view built);

private:
    friend struct ::TestAccess;
    // Back to the defaults.
    static void resetForTesting();
};

} // namespace Foundation
