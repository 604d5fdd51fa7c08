#include "Platform/Kit/LayerEffect.h"

#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewWidget.h"

#include <QPainter>

#include <cmath>
#include <vector>

namespace Kit::detail {

namespace {

// Three box blurs of one channel approximate a Gaussian of `sigma` pixels.
void blurAlpha(QImage& alpha, double sigma)
{
    if (!(sigma > 0.3))
        return;
    const int w = alpha.width();
    const int h = alpha.height();
    const int r = std::max(1, static_cast<int>(std::lround(sigma * 0.87)));
    std::vector<int> line(static_cast<std::size_t>(std::max(w, h)));
    auto pass = [&](bool horizontal) {
        const int n = horizontal ? w : h;
        const int lines = horizontal ? h : w;
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> uchar& { return horizontal ? alpha.scanLine(l)[i] : alpha.scanLine(i)[l]; };
            for (int i = 0; i < n; ++i)
                line[static_cast<std::size_t>(i)] = at(i);
            int sum = 0;
            for (int i = -r; i <= r; ++i)
                sum += (i >= 0 && i < n) ? line[static_cast<std::size_t>(i)] : 0;
            for (int i = 0; i < n; ++i) {
                at(i) = static_cast<uchar>(sum / (2 * r + 1));
                const int out = i - r;
                const int in = i + r + 1;
                sum -= (out >= 0) ? line[static_cast<std::size_t>(out)] : 0;
                sum += (in < n) ? line[static_cast<std::size_t>(in)] : 0;
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

double shadowMargin(const LayerProperties& p)
{
    if (!(p.shadowOpacity > 0) || !p.shadowColor)
        return 0;
    return std::ceil(p.shadowRadius * 3 + std::max(std::fabs(p.shadowOffset.width), std::fabs(p.shadowOffset.height)));
}

} // namespace

LayerEffect::LayerEffect(View& view) : view_(view) {}

bool LayerEffect::isNeeded(const View& view, const LayerProperties& p)
{
    return view.layer().mask() || (p.masksToBounds && p.cornerRadius > 0 && !view.subviews().empty()) || p.opacity < 1
           || (p.shadowOpacity > 0 && p.shadowColor) || !widgetTransform(view, p).isIdentity();
}

QTransform LayerEffect::widgetTransform(const View& view, const LayerProperties& p)
{
    const Rect f = view.frame();
    const bool superFlipped = view.superview() && view.superview()->isFlipped();
    const double ax = p.anchorPoint.x * f.width();
    const double ay = view.isFlipped() ? p.anchorPoint.y * f.height() : (1 - p.anchorPoint.y) * f.height();
    const Point modelPosition {f.x() + p.anchorPoint.x * f.width(), f.y() + p.anchorPoint.y * f.height()};
    const double dx = p.position.x - modelPosition.x;
    const double dy = superFlipped ? p.position.y - modelPosition.y : -(p.position.y - modelPosition.y);
    const AffineTransform& t = p.transform;
    // The y-up transform seen in y-down coordinates: positive angles still turn counter-clockwise on screen.
    const QTransform down(t.a, -t.b, -t.c, t.d, t.tx, -t.ty);
    QTransform q = QTransform::fromTranslate(-ax, -ay) * down * QTransform::fromTranslate(ax + dx, ay + dy);
    // Drop rounding noise so an untouched layer needs no effect.
    auto clean = [](double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; };
    return QTransform(clean(q.m11()), clean(q.m12()), clean(q.m21()), clean(q.m22()), clean(q.dx()), clean(q.dy()));
}

void LayerEffect::composite(QPainter& painter, const QImage& sourceImage, QPointF origin, const View& view)
{
    const LayerProperties p = view.layer().presentation();
    if (p.hidden)
        return;
    QImage image = sourceImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double dpr = image.devicePixelRatio();
    auto* widget = static_cast<ViewWidget*>(view.qtWidget());
    const bool masksSubviews = p.masksToBounds && p.cornerRadius > 0;
    if (view.layer().mask() || masksSubviews) {
        QImage mask(image.size(), QImage::Format_ARGB32_Premultiplied);
        mask.setDevicePixelRatio(dpr);
        mask.fill(Qt::transparent);
        {
            QPainter mp(&mask);
            mp.setRenderHint(QPainter::Antialiasing);
            mp.translate(-origin + widget->contentOrigin);
            auto context = QtBridge::makeContext(mp, view.bounds(), view.isFlipped());
            GraphicsContext::Scope scope(*context);
            if (auto maskLayer = view.layer().mask())
                maskLayer->render(*context);
            else
                context->fillPath(Layer::roundedBoundsPath(p), Colour::black());
        }
        QPainter ip(&image);
        ip.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        ip.drawImage(QPointF(0, 0), mask);
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF content = widget->contentOrigin;
    painter.setTransform(QTransform::fromTranslate(-content.x(), -content.y()) * widgetTransform(view, p)
                             * QTransform::fromTranslate(content.x(), content.y()),
                         true);
    painter.setOpacity(painter.opacity() * std::clamp(p.opacity, 0.0, 1.0));
    if (p.shadowOpacity > 0 && p.shadowColor) {
        const int pad = static_cast<int>(std::ceil(p.shadowRadius * 3 * dpr)) + 2;
        QImage alpha(image.width() + 2 * pad, image.height() + 2 * pad, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter ap(&alpha);
            // Pixel for pixel: both images in device pixels.
            QImage coverage = image.convertToFormat(QImage::Format_Alpha8);
            coverage.setDevicePixelRatio(1);
            ap.drawImage(QPoint(pad, pad), coverage);
        }
        blurAlpha(alpha, p.shadowRadius * dpr / 2);
        QImage shadow(alpha.size(), QImage::Format_ARGB32_Premultiplied);
        shadow.fill(QtBridge::colour(*p.shadowColor));
        {
            QPainter sp(&shadow);
            sp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            sp.drawImage(QPoint(0, 0), alpha);
        }
        shadow.setDevicePixelRatio(dpr);
        painter.save();
        painter.setOpacity(painter.opacity() * std::clamp(p.shadowOpacity, 0.0, 1.0));
        const QPointF shift(p.shadowOffset.width, view.isFlipped() ? p.shadowOffset.height : -p.shadowOffset.height);
        painter.drawImage(origin + shift - QPointF(pad / dpr, pad / dpr), shadow);
        painter.restore();
    }
    painter.drawImage(origin, image);
    painter.restore();
}

QMarginsF LayerEffect::overhang(const View& view, const LayerProperties& p)
{
    const Rect f = view.frame();
    const QRectF frame(0, 0, f.width(), f.height());
    const double m = shadowMargin(p);
    QRectF reach = frame.adjusted(-m, -m, m, m);
    const QTransform t = widgetTransform(view, p);
    if (!t.isIdentity())
        reach = reach.united(t.mapRect(frame.adjusted(-m, -m, m, m)));
    return QMarginsF(std::max(0.0, -reach.left()), std::max(0.0, -reach.top()),
                     std::max(0.0, reach.right() - frame.right()), std::max(0.0, reach.bottom() - frame.bottom()));
}

QRectF LayerEffect::boundingRectFor(const QRectF& rect) const
{
    // The widget already reaches as far as the layer paints.
    return rect;
}

void LayerEffect::draw(QPainter* painter)
{
    // Device coordinates: the pixmap has device pixels, its offset lies in the device's logical space.
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
    if (pixmap.isNull())
        return;
    QImage image = pixmap.toImage();
    image.setDevicePixelRatio(painter->device()->devicePixelRatioF());
    composite(*painter, image, painter->worldTransform().inverted().map(QPointF(offset)), view_);
}

} // namespace Kit::detail
