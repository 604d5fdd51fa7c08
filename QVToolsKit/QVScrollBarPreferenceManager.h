#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <optional>
#include <string_view>

namespace QVToolsKit {

// When scroll bars are shown: the "AppleShowScrollBars" setting of the standard defaults (written to
// the application's domain, read from the global domain when the application's has none). Stored
// only: nothing on this platform honours it.
class QVTOOLSKIT_EXPORT QVScrollBarPreferenceManager {
public:
    enum class QVScrollBarMode { automatic, whenScrolling, always };

    // "Automatic", "WhenScrolling", "Always".
    static std::string_view rawValue(QVScrollBarMode mode);
    // Exact, case-sensitive match.
    static std::optional<QVScrollBarMode> makeQVScrollBarMode(std::string_view rawValue);

    // Absent, "Automatic" or any unknown text: automatic.
    static QVScrollBarMode currentMode();
    // Stores the mode's text; the result is the synchronisation's.
    [[nodiscard]] static bool setMode(QVScrollBarMode mode);
    // Stores "Automatic" (the key stays); the result is the synchronisation's.
    [[nodiscard]] static bool resetToDefault();

    static constexpr std::string_view key = "AppleShowScrollBars";
};

} // namespace QVToolsKit
