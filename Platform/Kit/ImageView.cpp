#include "Platform/Kit/ImageView.h"

#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

ImageView::ImageView(const Rect& frame) : View(frame) {}

void ImageView::setImage(Image image)
{
    image_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setImageScaling(ImageScaling scaling)
{
    scaling_ = scaling;
    setNeedsDisplay();
}

void ImageView::setImageAlignment(ImageAlignment alignment)
{
    alignment_ = alignment;
    setNeedsDisplay();
}

void ImageView::setContentTintColor(std::optional<Colour> colour)
{
    tint_ = std::move(colour);
    setNeedsDisplay();
}

void ImageView::setEnabled(bool enabled)
{
    enabled_ = enabled;
    setNeedsDisplay();
}

Rect ImageView::imageRect() const
{
    const Rect b = bounds();
    Size size = image_.size();
    if (size.width <= 0 || size.height <= 0)
        return {b.midX(), b.midY(), 0, 0};
    switch (scaling_) {
    case ImageScaling::axesIndependently:
        return b;
    case ImageScaling::none:
        break;
    case ImageScaling::proportionallyDown:
    case ImageScaling::proportionallyUpOrDown: {
        double factor = std::min(b.width() / size.width, b.height() / size.height);
        if (scaling_ == ImageScaling::proportionallyDown)
            factor = std::min(factor, 1.0);
        size = {size.width * factor, size.height * factor};
        break;
    }
    }
    double x = b.midX() - size.width / 2;
    double y = b.midY() - size.height / 2;
    switch (alignment_) {
    case ImageAlignment::left: case ImageAlignment::topLeft: case ImageAlignment::bottomLeft: x = b.minX(); break;
    case ImageAlignment::right: case ImageAlignment::topRight: case ImageAlignment::bottomRight: x = b.maxX() - size.width; break;
    default: break;
    }
    switch (alignment_) {
    case ImageAlignment::top: case ImageAlignment::topLeft: case ImageAlignment::topRight:
        y = isFlipped() ? b.minY() : b.maxY() - size.height;
        break;
    case ImageAlignment::bottom: case ImageAlignment::bottomLeft: case ImageAlignment::bottomRight:
        y = isFlipped() ? b.maxY() - size.height : b.minY();
        break;
    default: break;
    }
    return {x, y, size.width, size.height};
}

void ImageView::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context || !image_.isValid())
        return;
    Image shown = image_;
    if (image_.isTemplate())
        shown = image_.tinted(tint_.value_or(Colour::labelColor()));
    context->drawImage(shown, imageRect(), {}, CompositingOperation::sourceOver, enabled_ ? 1.0 : 0.5);
}

} // namespace Kit
