#include "Classes/App/StatusBarText.h"

#include "Platform/Kit/GraphicsContext.h"

namespace Aerlo {

StatusBarText::StatusBarText(double fontSize, Placement placement)
    : Kit::View(Kit::Rect {}), font(Kit::Font::systemFont(fontSize)), placement_(placement)
{
}

void StatusBarText::draw(const Kit::Rect& dirtyRect)
{
    Kit::View::draw(dirtyRect);
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    if (!context || stringValue.empty())
        return;
    Kit::Point origin {0, 0};
    if (placement_ == Placement::centred) {
        const Kit::Size size = font.sizeOf(stringValue);
        const Kit::Rect b = bounds();
        origin = {(b.width() - size.width) * 0.5, (b.height() - size.height) * 0.5};
    }
    context->drawText(stringValue, origin, font, textColor);
}

} // namespace Aerlo
