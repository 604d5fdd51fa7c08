#include "Platform/Kit/LayerValue.h"

namespace Kit::LayerValues {

namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }

} // namespace

LayerValue interpolate(const LayerValue& from, const LayerValue& to, double t)
{
    if (from.index() != to.index())
        return t < 1 ? from : to;
    if (auto* a = std::get_if<double>(&from))
        return mix(*a, std::get<double>(to), t);
    if (auto* a = std::get_if<Point>(&from)) {
        const auto& b = std::get<Point>(to);
        return Point {mix(a->x, b.x, t), mix(a->y, b.y, t)};
    }
    if (auto* a = std::get_if<Size>(&from)) {
        const auto& b = std::get<Size>(to);
        return Size {mix(a->width, b.width, t), mix(a->height, b.height, t)};
    }
    if (auto* a = std::get_if<Rect>(&from)) {
        const auto& b = std::get<Rect>(to);
        return Rect {mix(a->x(), b.x(), t), mix(a->y(), b.y(), t), mix(a->width(), b.width(), t),
                     mix(a->height(), b.height(), t)};
    }
    if (auto* a = std::get_if<Colour>(&from))
        return Colour::interpolate(*a, std::get<Colour>(to), t);
    const auto& a = std::get<AffineTransform>(from);
    const auto& b = std::get<AffineTransform>(to);
    return AffineTransform {mix(a.a, b.a, t), mix(a.b, b.b, t),   mix(a.c, b.c, t),
                            mix(a.d, b.d, t), mix(a.tx, b.tx, t), mix(a.ty, b.ty, t)};
}

LayerValue add(const LayerValue& base, const LayerValue& by)
{
    if (base.index() != by.index())
        return by;
    if (auto* a = std::get_if<double>(&base))
        return *a + std::get<double>(by);
    if (auto* a = std::get_if<Point>(&base))
        return *a + std::get<Point>(by);
    if (auto* a = std::get_if<Size>(&base)) {
        const auto& b = std::get<Size>(by);
        return Size {a->width + b.width, a->height + b.height};
    }
    if (auto* a = std::get_if<Rect>(&base)) {
        const auto& b = std::get<Rect>(by);
        return Rect {a->x() + b.x(), a->y() + b.y(), a->width() + b.width(), a->height() + b.height()};
    }
    if (auto* a = std::get_if<Colour>(&base)) {
        const Colour x = a->resolved();
        const Colour y = std::get<Colour>(by).resolved();
        return Colour {x.redComponent() + y.redComponent(), x.greenComponent() + y.greenComponent(),
                       x.blueComponent() + y.blueComponent(), x.alphaComponent() + y.alphaComponent()};
    }
    return std::get<AffineTransform>(base).concatenating(std::get<AffineTransform>(by));
}

std::optional<double> number(const LayerValue& value)
{
    if (auto* d = std::get_if<double>(&value))
        return *d;
    return std::nullopt;
}

} // namespace Kit::LayerValues
