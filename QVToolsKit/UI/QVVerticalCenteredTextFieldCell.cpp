#include "QVToolsKit/UI/QVVerticalCenteredTextFieldCell.h"

namespace QVToolsKit {

Kit::Rect QVVerticalCenteredTextFieldCell::titleRect(const Kit::Rect& bounds) const
{
    Kit::Rect r = Kit::TextFieldCell::titleRect(bounds);
    r.origin.y += (r.height() - cellSize().height) * 0.5;
    return r;
}

} // namespace QVToolsKit
