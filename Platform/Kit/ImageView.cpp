#include "Platform/Kit/ImageView.h"

#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

ImageView::ImageView(const Rect& frame) : View(frame) {}

std::shared_ptr<ImageView> ImageView::withImage(Image image)
{
    auto view = std::make_shared<ImageView>(Rect({}, image.size()));
    view->setImage(std::move(image));
    return view;
}

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
    return {b.midX() - size.width / 2, b.midY() - size.height / 2, size.width, size.height};
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
