#include "Platform/Kit/Layer.h"

#include <cmath>

namespace Kit {

namespace {

struct Decomposed {
    double rotation, scaleX, scaleY, tx, ty;
};

Decomposed decompose(const AffineTransform& t) { return {t.rotationAngle(), t.scaleX(), t.scaleY(), t.tx, t.ty}; }

AffineTransform recompose(const Decomposed& d)
{
    return AffineTransform::compose(d.rotation, d.scaleX, d.scaleY, d.tx, d.ty);
}

template <class T>
bool assign(T& field, const LayerValue& value)
{
    if (auto* v = std::get_if<T>(&value)) {
        field = *v;
        return true;
    }
    return false;
}

bool assignNumber(double& field, const LayerValue& value) { return assign(field, value); }

bool assignColour(std::optional<Colour>& field, const LayerValue& value)
{
    if (auto* v = std::get_if<Colour>(&value)) {
        field = *v;
        return true;
    }
    return false;
}

} // namespace

Rect LayerProperties::frame() const
{
    return {position.x - anchorPoint.x * bounds.width(), position.y - anchorPoint.y * bounds.height(), bounds.width(),
            bounds.height()};
}

std::optional<LayerValue> LayerProperties::value(std::string_view k) const
{
    const auto colourOrClear = [](const std::optional<Colour>& c) -> LayerValue { return c.value_or(Colour::clear()); };
    if (k == "bounds")
        return bounds;
    if (k == "bounds.origin")
        return bounds.origin;
    if (k == "bounds.size")
        return bounds.size;
    if (k == "bounds.size.width")
        return bounds.size.width;
    if (k == "bounds.size.height")
        return bounds.size.height;
    if (k == "position")
        return position;
    if (k == "position.x")
        return position.x;
    if (k == "position.y")
        return position.y;
    if (k == "anchorPoint")
        return anchorPoint;
    if (k == "transform")
        return transform;
    if (k == "transform.rotation" || k == "transform.rotation.z")
        return transform.rotationAngle();
    if (k == "transform.scale" || k == "transform.scale.x")
        return transform.scaleX();
    if (k == "transform.scale.y")
        return transform.scaleY();
    if (k == "transform.translation.x")
        return transform.tx;
    if (k == "transform.translation.y")
        return transform.ty;
    if (k == "transform.translation")
        return Size {transform.tx, transform.ty};
    if (k == "opacity")
        return opacity;
    if (k == "hidden")
        return hidden ? 1.0 : 0.0;
    if (k == "backgroundColor")
        return colourOrClear(backgroundColor);
    if (k == "cornerRadius")
        return cornerRadius;
    if (k == "borderColor")
        return colourOrClear(borderColor);
    if (k == "borderWidth")
        return borderWidth;
    if (k == "shadowColor")
        return colourOrClear(shadowColor);
    if (k == "shadowOpacity")
        return shadowOpacity;
    if (k == "shadowRadius")
        return shadowRadius;
    if (k == "shadowOffset")
        return shadowOffset;
    if (k == "fillColor")
        return colourOrClear(fillColor);
    if (k == "strokeColor")
        return colourOrClear(strokeColor);
    if (k == "lineWidth")
        return lineWidth;
    if (k == "strokeStart")
        return strokeStart;
    if (k == "strokeEnd")
        return strokeEnd;
    if (k == "foregroundColor")
        return colourOrClear(foregroundColor);
    if (k == "fontSize")
        return fontSize;
    return std::nullopt;
}

bool LayerProperties::setValue(std::string_view k, const LayerValue& v)
{
    if (k == "bounds")
        return assign(bounds, v);
    if (k == "bounds.origin")
        return assign(bounds.origin, v);
    if (k == "bounds.size")
        return assign(bounds.size, v);
    if (k == "bounds.size.width")
        return assignNumber(bounds.size.width, v);
    if (k == "bounds.size.height")
        return assignNumber(bounds.size.height, v);
    if (k == "position")
        return assign(position, v);
    if (k == "position.x")
        return assignNumber(position.x, v);
    if (k == "position.y")
        return assignNumber(position.y, v);
    if (k == "anchorPoint")
        return assign(anchorPoint, v);
    if (k == "transform")
        return assign(transform, v);
    if (k.starts_with("transform.")) {
        const auto number = LayerValues::number(v);
        Decomposed d = decompose(transform);
        if (k == "transform.translation") {
            Size s;
            if (!assign(s, v))
                return false;
            transform.tx = s.width;
            transform.ty = s.height;
            return true;
        }
        if (!number)
            return false;
        if (k == "transform.rotation" || k == "transform.rotation.z")
            d.rotation = *number;
        else if (k == "transform.scale")
            d.scaleX = d.scaleY = *number;
        else if (k == "transform.scale.x")
            d.scaleX = *number;
        else if (k == "transform.scale.y")
            d.scaleY = *number;
        else if (k == "transform.translation.x")
            d.tx = *number;
        else if (k == "transform.translation.y")
            d.ty = *number;
        else
            return false;
        transform = recompose(d);
        return true;
    }
    if (k == "opacity")
        return assignNumber(opacity, v);
    if (k == "hidden") {
        double h = 0;
        if (!assign(h, v))
            return false;
        hidden = h != 0;
        return true;
    }
    if (k == "backgroundColor")
        return assignColour(backgroundColor, v);
    if (k == "cornerRadius")
        return assignNumber(cornerRadius, v);
    if (k == "borderColor")
        return assignColour(borderColor, v);
    if (k == "borderWidth")
        return assignNumber(borderWidth, v);
    if (k == "shadowColor")
        return assignColour(shadowColor, v);
    if (k == "shadowOpacity")
        return assignNumber(shadowOpacity, v);
    if (k == "shadowRadius")
        return assignNumber(shadowRadius, v);
    if (k == "shadowOffset")
        return assign(shadowOffset, v);
    if (k == "fillColor")
        return assignColour(fillColor, v);
    if (k == "strokeColor")
        return assignColour(strokeColor, v);
    if (k == "lineWidth")
        return assignNumber(lineWidth, v);
    if (k == "strokeStart")
        return assignNumber(strokeStart, v);
    if (k == "strokeEnd")
        return assignNumber(strokeEnd, v);
    if (k == "foregroundColor")
        return assignColour(foregroundColor, v);
    if (k == "fontSize")
        return assignNumber(fontSize, v);
    return false;
}

} // namespace Kit
