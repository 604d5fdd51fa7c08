#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Rect.h"

namespace QVToolsKit {

// The rectangle with y measured from the top of the primary (first) screen instead of its bottom:
// y becomes that screen's maximum y minus the rectangle's. Applying it twice gives the rectangle back.
// Without a screen the rectangle is returned unchanged.
QVTOOLSKITUI_EXPORT Kit::Rect isFlipped(const Kit::Rect& rect);
// Wider than high.
QVTOOLSKITUI_EXPORT bool isLandscape(const Kit::Rect& rect);

} // namespace QVToolsKit
