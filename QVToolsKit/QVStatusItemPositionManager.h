#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string_view>

namespace QVToolsKit {

// The preferred place of the application's first status item ("NSStatusItem Preferred Position Item-0"
// in the standard defaults). Stored only: this platform's tray does not honour it.
class QVTOOLSKIT_EXPORT QVStatusItemPositionManager {
public:
    // The stored position is 50 (an absent key reads as 0).
    static bool isRightMost();
    // Stores 50, then synchronises.
    static void setStatusItemToRightMostPosition();
    // Removes the key, then synchronises.
    static void resetStatusItemPosition();

    static constexpr std::string_view key = "NSStatusItem Preferred Position Item-0";
    static constexpr std::int64_t rightMostPosition = 50;
};

} // namespace QVToolsKit
