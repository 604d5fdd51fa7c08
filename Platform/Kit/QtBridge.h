#pragma once

// Kit's one place of conversion to and from Qt, inside Kit (Kit's test support uses its inline ones).

#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Rect.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <functional>
#include <memory>

namespace Kit {

class GraphicsContext;
class Image;

namespace QtBridge {

inline QPointF point(Point p) { return {p.x, p.y}; }
inline QRectF rect(const Rect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
inline Rect rect(const QRectF& r) { return {r.x(), r.y(), r.width(), r.height()}; }
QColor colour(const Colour& colour); // resolved against the current appearance
Colour colour(const QColor& colour);
QPainterPath path(const BezierPath& path);
QTransform transform(const AffineTransform& t);
QFont font(const Font& font);
QPainter::CompositionMode compositionMode(CompositingOperation operation);

// A rect in a y-up space of `height` as the y-down rect Qt draws (and back: the rule is its own inverse).
inline Rect flipped(const Rect& r, double height)
{
    return {r.x(), height - r.y() - r.height(), r.width(), r.height()};
}
inline Point flipped(Point p, double height) { return {p.x, height - p.y}; }

// A subview's Qt geometry from its frame in the coordinates of a superview with `superBounds`.
QRectF childGeometry(const Rect& frame, const Rect& superBounds, bool superFlipped);
// The painter transform that maps a space with `bounds` (y up unless flipped) onto the widget (y down).
QTransform boundsTransform(const Rect& bounds, bool flipped);

// A context drawing through `painter`, whose current transform maps the widget's (y-down) space;
// the context's own space has `bounds`, y up unless `flipped`.
std::unique_ptr<GraphicsContext> makeContext(QPainter& painter, const Rect& bounds, bool flipped);

QImage& image(const Image& image);
Image image(const QImage& pixels, double scale);
// A transparent image of `size` at `scale` (a bad scale counts as 1) filled by `paint`; no image for
// an empty size.
Image paintedImage(Size size, double scale, const std::function<void(QImage& pixels)>& paint);

} // namespace QtBridge
} // namespace Kit
