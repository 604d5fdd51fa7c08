#include "Platform/Kit/GraphicsContext.h"

#include "Platform/Kit/GraphicsContextImpl.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/QtBridge.h"

#include <QFontMetricsF>
#include <QLinearGradient>

namespace Kit {

namespace {
thread_local GraphicsContext* currentContext = nullptr;
}

void GraphicsContext::Impl::prepare(CompositingOperation operation)
{
    painter->setTransform(matrix());
    painter->setCompositionMode(QtBridge::compositionMode(operation));
    painter->setOpacity(baseOpacity * state().alpha);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void GraphicsContext::Impl::prepareUpright(const Rect& r, CompositingOperation operation)
{
    prepare(operation);
    const QTransform m = matrix();
    if (m.determinant() < 0)
        painter->setTransform(QTransform(1, 0, 0, -1, 0, 2 * r.y() + r.height()) * m);
}

GraphicsContext::GraphicsContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GraphicsContext::~GraphicsContext() = default;

GraphicsContext* GraphicsContext::current() { return currentContext; }

GraphicsContext::Scope::Scope(GraphicsContext& context) : previous_(currentContext) { currentContext = &context; }
GraphicsContext::Scope::~Scope() { currentContext = previous_; }

bool GraphicsContext::isFlipped() const { return impl_->flipped; }

void GraphicsContext::saveGraphicsState()
{
    impl_->stack.push_back(impl_->state());
    impl_->painter->save();
}

void GraphicsContext::restoreGraphicsState()
{
    if (impl_->stack.size() <= 1)
        return;
    impl_->stack.pop_back();
    impl_->painter->restore();
}

void GraphicsContext::concat(const AffineTransform& t)
{
    impl_->state().user = QtBridge::transform(t) * impl_->state().user;
}

void GraphicsContext::translate(double dx, double dy) { concat(AffineTransform::translation(dx, dy)); }

void GraphicsContext::clip(const BezierPath& path)
{
    impl_->painter->setTransform(impl_->matrix());
    impl_->painter->setClipPath(QtBridge::path(path), Qt::IntersectClip);
}

void GraphicsContext::clipToRect(const Rect& rect) { clip(BezierPath::rect(rect)); }

Colour GraphicsContext::fillColour() const { return impl_->stack.back().fill; }
void GraphicsContext::setFillColour(const Colour& c) { impl_->state().fill = c; }
Colour GraphicsContext::strokeColour() const { return impl_->stack.back().stroke; }
void GraphicsContext::setStrokeColour(const Colour& c) { impl_->state().stroke = c; }
CompositingOperation GraphicsContext::compositingOperation() const { return impl_->stack.back().operation; }
void GraphicsContext::setCompositingOperation(CompositingOperation op) { impl_->state().operation = op; }
double GraphicsContext::alpha() const { return impl_->stack.back().alpha; }
void GraphicsContext::setAlpha(double alpha) { impl_->state().alpha = std::clamp(alpha, 0.0, 1.0); }

void GraphicsContext::fillRect(const Rect& rect, const Colour& colour) { fillPath(BezierPath::rect(rect), colour); }

void GraphicsContext::fillPath(const BezierPath& path, const Colour& colour)
{
    impl_->prepare(impl_->state().operation);
    impl_->painter->fillPath(QtBridge::path(path), QtBridge::colour(colour));
}

void GraphicsContext::strokePath(const BezierPath& path, const Colour& colour, double lineWidth)
{
    if (!(lineWidth > 0))
        return;
    impl_->prepare(impl_->state().operation);
    QPen pen(QtBridge::colour(colour), lineWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    impl_->painter->strokePath(QtBridge::path(path), pen);
}

void GraphicsContext::drawImage(const Image& image, const Rect& destination, const Rect& source,
                                CompositingOperation operation, double fraction)
{
    if (!image.isValid() || destination.isEmpty())
        return;
    const QImage& pixels = QtBridge::image(image);
    const double scale = pixels.devicePixelRatio();
    QRectF from(0, 0, pixels.width(), pixels.height());
    if (!source.isEmpty()) {
        // The source rect is in the image's points, y up.
        const Rect s = QtBridge::flipped(source.standardized(), image.size().height);
        from = QRectF(s.x() * scale, s.y() * scale, s.width() * scale, s.height() * scale);
    }
    const Rect d = destination.standardized();
    impl_->prepareUpright(d, operation);
    impl_->painter->setOpacity(impl_->painter->opacity() * std::clamp(fraction, 0.0, 1.0));
    impl_->painter->drawImage(QtBridge::rect(d), pixels, from);
}

void GraphicsContext::drawText(std::string_view text, const Rect& rect, const Font& font, const Colour& colour,
                               TextAlignment alignment, bool truncatesTail, TextLines lines)
{
    const Rect r = rect.standardized();
    impl_->prepareUpright(r, impl_->state().operation);
    const QFont qfont = QtBridge::font(font);
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (truncatesTail && lines != TextLines::wordWrapping && lines != TextLines::charWrapping) {
        QStringList each = lines == TextLines::single ? QStringList {string} : string.split(QChar('\n'));
        for (QString& line : each)
            line = QFontMetricsF(qfont).elidedText(line, Qt::ElideRight, r.width());
        string = each.join(QChar('\n'));
    }
    int flags = Qt::AlignTop;
    switch (lines) {
    case TextLines::single:
        flags |= Qt::TextSingleLine;
        break;
    case TextLines::wordWrapping:
        flags |= Qt::TextWordWrap;
        break;
    case TextLines::charWrapping:
        flags |= Qt::TextWrapAnywhere;
        break;
    default:
        break;
    }
    switch (alignment) {
    case TextAlignment::right:
        flags |= Qt::AlignRight;
        break;
    case TextAlignment::center:
        flags |= Qt::AlignHCenter;
        break;
    default:
        flags |= Qt::AlignLeft;
        break;
    }
    impl_->painter->setFont(qfont);
    impl_->painter->setPen(QtBridge::colour(colour));
    impl_->painter->drawText(QtBridge::rect(r), flags, string);
}

void GraphicsContext::drawText(std::string_view text, Point origin, const Font& font, const Colour& colour)
{
    const Size size = font.sizeOf(text);
    const Rect r {origin.x, origin.y, size.width + 1, size.height};
    drawText(text, r, font, colour);
}

void GraphicsContext::drawLinearGradient(const std::vector<Colour>& colours, const std::vector<double>& locations,
                                         Point start, Point end)
{
    if (colours.empty())
        return;
    QLinearGradient gradient(QtBridge::point(start), QtBridge::point(end));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        double at =
            i < locations.size() ? locations[i] : (colours.size() == 1 ? 0.0 : double(i) / double(colours.size() - 1));
        gradient.setColorAt(std::clamp(at, 0.0, 1.0), QtBridge::colour(colours[i]));
    }
    impl_->prepare(impl_->state().operation);
    // Fills the whole device; the clip limits it.
    const QRectF area = impl_->matrix().inverted().mapRect(QRectF(impl_->painter->viewport()));
    impl_->painter->fillRect(area, gradient);
}

} // namespace Kit
