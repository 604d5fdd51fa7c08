#include "QVToolsKit/UI/SmoothCorner.h"

#include "Platform/Kit/ShapeLayer.h"
#include "Platform/System/ProcessInfo.h"

#include <any>
#include <memory>

namespace QVToolsKit {

namespace {

const std::string maskCornerKey = "NSViewSmoothCornerMaskCornerKey";
const std::string maskLayerKey = "NSViewSmoothCornerMaskLayerKey";
const std::string borderLayerKey = "NSViewSmoothCornerBorderLayerKey";

bool didSwizzle = false;

// A value of the wrong kind reads as nothing.
template <class T>
std::optional<T> associated(const Kit::View& view, const std::string& key)
{
    if (const std::any* value = view.associatedValue(key))
        if (auto* typed = std::any_cast<T>(value))
            return *typed;
    return std::nullopt;
}

std::shared_ptr<Kit::ShapeLayer> smoothCornerMaskLayer(const Kit::View& view)
{
    return associated<std::shared_ptr<Kit::ShapeLayer>>(view, maskLayerKey).value_or(nullptr);
}

std::shared_ptr<Kit::ShapeLayer> smoothCornerBorderLayer(const Kit::View& view)
{
    return associated<std::shared_ptr<Kit::ShapeLayer>>(view, borderLayerKey).value_or(nullptr);
}

void drawSmoothCornerAndBorder(Kit::View& view)
{
    const auto mask = smoothCornerMaskLayer(view);
    const auto corner = associated<NSViewMaskCorner>(view, maskCornerKey);
    if (!mask || !corner)
        return;
    auto& layer = view.layer();
    mask->setFrame(layer.bounds());
    const NSViewCornerBezierPath outline(mask->bounds(), *corner);
    // The same geometry either way; earlier systems copy the elements.
    const Kit::BezierPath path = SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(14)
        ? static_cast<const Kit::BezierPath&>(outline)
        : outline.getCGPath();
    mask->setPath(path);
    layer.setMask(mask);
    if (const auto border = smoothCornerBorderLayer(view)) {
        border->setFrame(layer.bounds());
        border->setFillColor(Kit::Colour::clear());
        border->setPath(mask->path());
        if (border->superlayer() != &layer)
            layer.insertSublayer(border, 0);
    }
}

void installHooks()
{
    if (didSwizzle)
        return;
    Kit::View::addPostHook(Kit::View::Hook::setFrameSize, drawSmoothCornerAndBorder);
    Kit::View::addPostHook(Kit::View::Hook::layout, drawSmoothCornerAndBorder);
    Kit::View::addPostHook(Kit::View::Hook::viewWillDraw, drawSmoothCornerAndBorder);
    didSwizzle = true;
}

} // namespace

bool smoothCornerMethodsDidSwizzle() { return didSwizzle; }

void setSmoothCorner(Kit::View& view, double topLeft, double topRight, double bottomRight, double bottomLeft)
{
    if (topLeft > 0 || topRight > 0 || bottomRight > 0 || bottomLeft > 0) {
        installHooks();
        view.setWantsLayer(true);
        view.setAssociatedValue(maskCornerKey, NSViewMaskCorner{topLeft, topRight, bottomRight, bottomLeft});
        if (!smoothCornerMaskLayer(view))
            view.setAssociatedValue(maskLayerKey, std::make_shared<Kit::ShapeLayer>());
    } else {
        view.removeAssociatedValue(maskCornerKey);
        view.removeAssociatedValue(maskLayerKey);
        view.layer().setMask(nullptr);
    }
    view.setNeedsLayout(true);
}

void setSmoothCorner(Kit::View& view, double radius) { setSmoothCorner(view, radius, radius, radius, radius); }

void setSmoothCornerBorder(Kit::View& view, const Kit::Colour& colour, double width)
{
    if (width > 0) {
        installHooks();
        view.setWantsLayer(true);
        auto border = smoothCornerBorderLayer(view);
        if (!border) {
            border = std::make_shared<Kit::ShapeLayer>();
            view.setAssociatedValue(borderLayerKey, border);
        }
        border->setLineWidth(width * 2);
        border->setStrokeColor(colour);
    } else {
        if (auto border = smoothCornerBorderLayer(view))
            border->removeFromSuperlayer();
        view.removeAssociatedValue(borderLayerKey);
    }
    view.setNeedsLayout(true);
}

} // namespace QVToolsKit
