#include "Platform/Kit/QtBridge.h"

#include "Platform/Kit/GraphicsContextImpl.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/ImageRepresentation.h"

#include <cmath>

namespace Kit::QtBridge {

QColor colour(const Colour& c)
{
    const Colour r = c.resolved();
    QColor q;
    q.setRgbF(static_cast<float>(std::clamp(r.redComponent(), 0.0, 1.0)),
              static_cast<float>(std::clamp(r.greenComponent(), 0.0, 1.0)),
              static_cast<float>(std::clamp(r.blueComponent(), 0.0, 1.0)),
              static_cast<float>(std::clamp(r.alphaComponent(), 0.0, 1.0)));
    return q;
}

Colour colour(const QColor& c) { return {c.redF(), c.greenF(), c.blueF(), c.alphaF()}; }

QPainterPath path(const BezierPath& p)
{
    QPainterPath out;
    out.setFillRule(p.windingRule() == BezierPath::WindingRule::nonZero ? Qt::WindingFill : Qt::OddEvenFill);
    for (const auto& e : p.elements()) {
        switch (e.type) {
        case BezierPath::ElementType::moveTo:
            out.moveTo(point(e.points[0]));
            break;
        case BezierPath::ElementType::lineTo:
            out.lineTo(point(e.points[0]));
            break;
        case BezierPath::ElementType::curveTo:
            out.cubicTo(point(e.points[0]), point(e.points[1]), point(e.points[2]));
            break;
        case BezierPath::ElementType::closePath:
            out.closeSubpath();
            break;
        }
    }
    return out;
}

QTransform transform(const AffineTransform& t) { return QTransform(t.a, t.b, t.c, t.d, t.tx, t.ty); }

QFont font(const Font& f)
{
    QFont q;
    if (!f.familyName().empty())
        q.setFamily(QString::fromStdString(f.familyName()));
    if (f.isFixedPitch()) {
        q.setStyleHint(QFont::Monospace);
        q.setFixedPitch(true);
        if (f.familyName().empty())
            q.setFamily(QStringLiteral("monospace"));
    }
    q.setPixelSize(std::max(1, static_cast<int>(std::lround(f.pointSize()))));
    // The platform's weight scale onto Qt's 1…1000.
    const double w = f.weight();
    QFont::Weight weight = QFont::Normal;
    if (w <= -0.7)
        weight = QFont::Thin;
    else if (w <= -0.5)
        weight = QFont::ExtraLight;
    else if (w <= -0.2)
        weight = QFont::Light;
    else if (w < 0.2)
        weight = QFont::Normal;
    else if (w < 0.27)
        weight = QFont::Medium;
    else if (w < 0.35)
        weight = QFont::DemiBold;
    else if (w < 0.5)
        weight = QFont::Bold;
    else if (w < 0.6)
        weight = QFont::ExtraBold;
    else
        weight = QFont::Black;
    q.setWeight(weight);
    return q;
}

QPainter::CompositionMode compositionMode(CompositingOperation op)
{
    switch (op) {
    case CompositingOperation::clear:
        return QPainter::CompositionMode_Clear;
    case CompositingOperation::copy:
        return QPainter::CompositionMode_Source;
    case CompositingOperation::sourceOver:
        return QPainter::CompositionMode_SourceOver;
    case CompositingOperation::sourceIn:
        return QPainter::CompositionMode_SourceIn;
    case CompositingOperation::sourceOut:
        return QPainter::CompositionMode_SourceOut;
    case CompositingOperation::sourceAtop:
        return QPainter::CompositionMode_SourceAtop;
    case CompositingOperation::destinationOver:
        return QPainter::CompositionMode_DestinationOver;
    case CompositingOperation::destinationIn:
        return QPainter::CompositionMode_DestinationIn;
    case CompositingOperation::destinationOut:
        return QPainter::CompositionMode_DestinationOut;
    case CompositingOperation::destinationAtop:
        return QPainter::CompositionMode_DestinationAtop;
    case CompositingOperation::xor_:
        return QPainter::CompositionMode_Xor;
    case CompositingOperation::plusLighter:
        return QPainter::CompositionMode_Plus;
    }
    return QPainter::CompositionMode_SourceOver;
}

QRectF childGeometry(const Rect& frame, const Rect& superBounds, bool superFlipped)
{
    const double x = frame.x() - superBounds.x();
    const double y = superFlipped ? frame.y() - superBounds.y()
                                  : superBounds.height() - (frame.y() - superBounds.y()) - frame.height();
    return {x, y, frame.width(), frame.height()};
}

QTransform boundsTransform(const Rect& b, bool isFlipped)
{
    if (isFlipped)
        return QTransform(1, 0, 0, 1, -b.x(), -b.y());
    return QTransform(1, 0, 0, -1, -b.x(), b.height() + b.y());
}

std::unique_ptr<GraphicsContext> makeContext(QPainter& painter, const Rect& bounds, bool isFlipped)
{
    auto impl = std::make_unique<GraphicsContext::Impl>();
    impl->painter = &painter;
    impl->base = boundsTransform(bounds, isFlipped) * painter.transform();
    impl->flipped = isFlipped;
    impl->baseOpacity = painter.opacity();
    return std::make_unique<GraphicsContext>(std::move(impl));
}

QImage& image(const Image& i) { return i.representation().pixels; }

Image image(const QImage& pixels, double scale)
{
    auto rep = std::make_shared<Image::Representation>();
    rep->pixels = pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    rep->pixels.setDevicePixelRatio(scale);
    rep->size = {pixels.width() / scale, pixels.height() / scale};
    return Image(rep);
}

Image paintedImage(Size size, double scale, const std::function<void(QImage& pixels)>& paint)
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1;
    Image out(size, scale);
    if (out.isValid())
        paint(image(out));
    return out;
}

} // namespace Kit::QtBridge
