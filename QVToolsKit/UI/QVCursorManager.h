#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Cursor.h"

#include <optional>
#include <string_view>

namespace QVToolsKit {

// The standard cursors, counted hiding, and the system's diagonal resize cursors, read from their
// folders among the system's cursor resources ("cursor.png" beside the property list "info.plist" with
// its "hotx" and "hoty"). Nothing is cached.
class QVTOOLSKITUI_EXPORT QVCursorManager {
public:
    QVCursorManager();

    // The named cursor folder's image and hot spot; none without a readable property list with both
    // numbers, or for a name that is not a plain folder name.
    static std::optional<Kit::Cursor> cursorForName(std::string_view name);
    // The folder's cursor, else Kit's own diagonal shape.
    static Kit::Cursor topLeftBottomRightResizeCursor();
    static Kit::Cursor topRightBottomLeftResizeCursor();
    static Kit::Cursor arrowCursor();
    static Kit::Cursor crosshairCursor();
    static Kit::Cursor pointingHandCursor();
    static Kit::Cursor IBeamCursor();
    // Each hide needs one unhide.
    static void hiddenCursor();
    static void unhideCursor();

    static constexpr std::string_view cursorsFolder =
        "/System/Library/Frameworks/ApplicationServices.framework/Versions/A/Frameworks/HIServices.framework/"
        "Versions/A/Resources/cursors/";
};

} // namespace QVToolsKit
