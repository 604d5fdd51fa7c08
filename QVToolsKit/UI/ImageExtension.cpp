#include "QVToolsKit/UI/ImageExtension.h"

#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/GraphicsContext.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace QVToolsKit {

namespace {

using Kit::CompositingOperation;

bool usable(Kit::Size size)
{
    return size.width > 0 && size.height > 0 && std::isfinite(size.width) && std::isfinite(size.height);
}

// A new image of the size with `draw` run under its focus; empty, with nothing drawn, for a bad size.
Kit::Image drawn(Kit::Size size, const std::function<void(Kit::GraphicsContext&)>& draw, double scale = 1)
{
    if (!usable(size))
        return Kit::Image();
    Kit::Image out(size, scale);
    out.lockFocus();
    if (auto* context = Kit::GraphicsContext::current())
        draw(*context);
    out.unlockFocus();
    return out;
}

double scaleOf(const Kit::Image& image)
{
    return image.size().width > 0 ? image.pixelsWide() / image.size().width : 1.0;
}

void fillAtop(Kit::GraphicsContext& context, Kit::Size size, const Kit::Colour& colour)
{
    context.setFillColour(colour);
    context.setCompositingOperation(CompositingOperation::sourceAtop);
    context.fillRect({0, 0, size.width, size.height}, colour);
}

} // namespace

Kit::Image withTintColor(const Kit::Image& image, const Kit::Colour& colour)
{
    Kit::Image source = image.copy();
    source.setTemplate(true);
    const Kit::Size size = source.size();
    Kit::Image out = drawn(size, [&](Kit::GraphicsContext& context) {
        source.draw({0, 0, size.width, size.height}, {}, CompositingOperation::sourceOver, 1.0);
        fillAtop(context, size, colour);
    }, scaleOf(image));
    out.setTemplate(false);
    return out;
}

std::optional<Kit::Image> render(const Kit::Image& image, const Kit::Colour& colour)
{
    if (!image.isValid() || !usable(image.size()))
        return std::nullopt;
    Kit::Image copy = image.copy();
    copy.lockFocus();
    if (auto* context = Kit::GraphicsContext::current())
        fillAtop(*context, image.size(), colour);
    copy.unlockFocus();
    return copy;
}

void setImageTintColor(Kit::Button& button, const Kit::Colour& colour, std::optional<Kit::Size> size)
{
    const Kit::Image image = button.image();
    if (!image.isValid())
        return;
    const Kit::Size target = size.value_or(image.size());
    if (!usable(target))
        return;
    button.setImage(drawn(target, [&](Kit::GraphicsContext& context) {
        image.draw({0, 0, target.width, target.height}, {}, CompositingOperation::sourceOver, 1.0);
        fillAtop(context, target, colour);
    }, scaleOf(image)));
}

std::optional<Kit::Image> croppedCenterSquare(const Kit::Image& image, double side)
{
    if (!image.isValid() || !(side > 0))
        return std::nullopt;
    const int w = image.pixelsWide();
    const int h = image.pixelsHigh();
    const int square = std::min(w, h);
    // Floored, so that an odd difference still leaves a square inside the pixels.
    const Kit::Image cut = image.cropped((w - square) / 2, (h - square) / 2, square, square);
    if (!cut.isValid())
        return std::nullopt;
    return drawn({side, side}, [&](Kit::GraphicsContext&) {
        cut.draw({0, 0, side, side}, {}, CompositingOperation::copy, 1.0);
    });
}

Kit::Image rounded(const Kit::Image& image)
{
    const Kit::Size size = image.size();
    if (!image.isValid())
        return Kit::Image();
    return drawn(size, [&](Kit::GraphicsContext& context) {
        context.clip(Kit::BezierPath::oval({0, 0, size.width, size.height}));
        image.draw({0, 0, size.width, size.height}, {0, 0, size.width, size.height}, CompositingOperation::sourceOver, 1.0);
    }, scaleOf(image));
}

Kit::Image maskImage(double cornerRadius, const Kit::Colour& fillColor)
{
    const double r = cornerRadius;
    if (!(r > 0) || !std::isfinite(r))
        return Kit::Image();
    Kit::Image image = Kit::Image::withSize({2 * r, 2 * r}, false, [&](const Kit::Rect& rect) {
        if (auto* context = Kit::GraphicsContext::current()) {
            context->fillRect(rect, Kit::Colour::clear());
            context->fillPath(Kit::BezierPath::roundedRect(rect, r, r), fillColor);
        }
        return true;
    });
    image.setCapInsets({r, r, r, r});
    return image;
}

Kit::Image rotate(const Kit::Image& image, int angle)
{
    int d = angle % 360;
    if (d < 0)
        d += 360;
    if (d == 0 || d % 90 != 0)
        return image;
    const Kit::Size size = image.size();
    const Kit::Size turned = d == 180 ? size : Kit::Size {size.height, size.width};
    const auto transform = Kit::AffineTransform::rotation((360 - d) * std::numbers::pi / 180)
                               .concatenating(Kit::AffineTransform::translation(turned.width * 0.5, turned.height * 0.5));
    return drawn(turned, [&](Kit::GraphicsContext& context) {
        context.concat(transform);
        image.draw({-size.width * 0.5, -size.height * 0.5, size.width, size.height}, {0, 0, size.width, size.height},
            CompositingOperation::copy, 1.0);
    }, scaleOf(image));
}

} // namespace QVToolsKit
