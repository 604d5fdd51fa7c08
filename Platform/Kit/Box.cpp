#include "Platform/Kit/Box.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

Box::Box(const Rect& frame) : View(frame) { setContentView(std::make_shared<View>()); }

template <class Value>
void Box::store(Value& field, Value value)
{
    field = std::move(value);
    setNeedsDisplay();
}

void Box::setBoxType(BoxType type) { store(boxType_, type); }
void Box::setTitlePosition(TitlePosition position) { store(titlePosition_, position); }
void Box::setTitle(std::string title) { store(title_, std::move(title)); }
void Box::setCornerRadius(double radius) { store(cornerRadius_, radius); }
void Box::setBorderWidth(double width) { store(borderWidth_, width); }
void Box::setBorderColor(Colour colour) { store(borderColor_, std::move(colour)); }
void Box::setFillColor(Colour colour) { store(fillColor_, std::move(colour)); }
void Box::setTransparent(bool transparent) { store(transparent_, transparent); }

void Box::setContentViewMargins(Size margins)
{
    margins_ = margins;
    if (contentView_)
        contentView_->setFrame(contentRect());
}

Rect Box::contentRect() const
{
    const Rect b = bounds();
    return {b.x() + margins_.width, b.y() + margins_.height, std::max(0.0, b.width() - 2 * margins_.width),
            std::max(0.0, b.height() - 2 * margins_.height)};
}

void Box::setContentView(std::shared_ptr<View> view)
{
    if (contentView_)
        contentView_->removeFromSuperview();
    contentView_ = std::move(view);
    if (!contentView_)
        return;
    contentView_->setFrame(contentRect());
    addSubview(contentView_);
}

void Box::resizeSubviews(Size oldSize)
{
    View::resizeSubviews(oldSize);
    if (contentView_)
        contentView_->setFrame(contentRect());
}

void Box::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context || transparent_)
        return;
    const Rect b = bounds();
    if (boxType_ == BoxType::separator) {
        if (b.width() >= b.height())
            context->fillRect({b.x(), b.midY() - 0.5, b.width(), 1}, Colour::separatorColor());
        else
            context->fillRect({b.midX() - 0.5, b.y(), 1, b.height()}, Colour::separatorColor());
        return;
    }
    const double radius = boxType_ == BoxType::custom ? cornerRadius_ : 5;
    const Colour fill = boxType_ == BoxType::custom ? fillColor_ : Colour::black().withAlphaComponent(0.05);
    context->fillPath(BezierPath::roundedRect(b, radius, radius), fill);
    const double border = boxType_ == BoxType::custom ? borderWidth_ : 1;
    if (border > 0) {
        // The stroke lies inside the bounds.
        const Rect inner = b.insetBy(border / 2, border / 2);
        const double innerRadius = std::max(0.0, radius - border / 2);
        context->strokePath(BezierPath::roundedRect(inner, innerRadius, innerRadius), borderColor_, border);
    }
}

} // namespace Kit
