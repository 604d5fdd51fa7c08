#include "Platform/Kit/ClipView.h"

#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

ClipView::ClipView(const Rect& frame) : View(frame) {}

void ClipView::setDocumentView(std::shared_ptr<View> view)
{
    if (documentView_)
        documentView_->removeFromSuperview();
    documentView_ = std::move(view);
    if (documentView_) {
        documentView_->setFrameOrigin({0, 0});
        addSubview(documentView_);
    }
    scrollToPoint(bounds().origin);
}

Point ClipView::constrainBoundsOrigin(Point origin) const
{
    if (!documentView_)
        return {0, 0};
    const Rect document = documentView_->frame();
    const Size size = bounds().size;
    return {std::clamp(origin.x, document.minX(), std::max(document.minX(), document.maxX() - size.width)),
            std::clamp(origin.y, document.minY(), std::max(document.minY(), document.maxY() - size.height))};
}

void ClipView::scrollToPoint(Point point)
{
    const Point origin = constrainBoundsOrigin(point);
    if (origin != bounds().origin)
        setBoundsOrigin(origin);
}

Rect ClipView::documentVisibleRect() const
{
    if (!documentView_)
        return {};
    return documentView_->convertFrom(bounds(), this).intersection(documentView_->bounds());
}

void ClipView::setDrawsBackground(bool draws)
{
    drawsBackground_ = draws;
    setNeedsDisplay();
}

void ClipView::setBackgroundColor(Colour colour)
{
    backgroundColor_ = std::move(colour);
    setNeedsDisplay();
}

void ClipView::draw(const Rect&)
{
    if (GraphicsContext* context = GraphicsContext::current(); context && drawsBackground_)
        context->fillRect(bounds(), backgroundColor_);
}

} // namespace Kit
