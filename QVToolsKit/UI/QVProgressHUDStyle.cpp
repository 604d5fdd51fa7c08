#include "QVToolsKit/UI/QVProgressHUDStyle.h"

#include "Platform/Kit/Appearance.h"

namespace QVToolsKit {

bool QVProgressHUDStyle::isDark() const
{
    if (kind_ == Kind::dark)
        return true;
    return kind_ == Kind::automatic && Kit::Appearance::effectiveApplication().name() == Kit::Appearance::darkAquaName;
}

Kit::Colour QVProgressHUDStyle::foregroundColor() const
{
    if (kind_ == Kind::custom)
        return foreground_;
    return isDark() ? Kit::Colour::white(0.95, 1) : Kit::Colour::black();
}

Kit::Colour QVProgressHUDStyle::backgroundColor() const
{
    if (kind_ == Kind::custom)
        return background_;
    return isDark() ? Kit::Colour::black() : Kit::Colour::whiteColor();
}

} // namespace QVToolsKit
