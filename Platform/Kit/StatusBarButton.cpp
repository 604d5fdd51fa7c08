#include "Platform/Kit/StatusBarButton.h"

#include "Platform/Kit/GraphicsContext.h"

namespace Kit {

StatusBarButton::StatusBarButton(StatusItem& item) : item_(item)
{
    setBordered(false);
    setImagePosition(ImagePosition::imageLeft);
}

void StatusBarButton::setAppearsDisabled(bool disabled)
{
    appearsDisabled_ = disabled;
    setNeedsDisplay();
}

void StatusBarButton::draw(const Rect& dirtyRect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    if (isHighlighted())
        context->fillRect(bounds(), Colour::labelColor().withAlphaComponent(0.15));
    if (appearsDisabled_)
        context->setAlpha(0.5);
    Button::draw(dirtyRect);
}

} // namespace Kit
