#include "QVToolsKit/UI/CGRectExtension.h"

#include "Platform/Kit/Screen.h"

namespace QVToolsKit {

Kit::Rect isFlipped(const Kit::Rect& rect)
{
    const auto screens = Kit::Screen::screens();
    if (screens.empty())
        return rect;
    Kit::Rect flipped = rect;
    flipped.origin.y = screens.front()->frame().maxY() - rect.maxY();
    return flipped;
}

bool isLandscape(const Kit::Rect& rect) { return rect.width() > rect.height(); }

} // namespace QVToolsKit
