#include "Platform/Kit/FrameIconEngine.h"

#include <QPainter>
#include <QPixmap>

namespace Kit {

FrameIconEngine::FrameIconEngine(QImage image) : image_(std::move(image)) {}

void FrameIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State)
{
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(QRectF(rect), image_);
    painter->restore();
}

QImage FrameIconEngine::scaled(const QImage& image, const QSize& pixels)
{
    QImage source = image;
    source.setDevicePixelRatio(1);
    if (source.size() == pixels && source.format() == QImage::Format_ARGB32_Premultiplied)
        return source;
    QImage target(pixels, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    if (pixels.isEmpty())
        return target;
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(pixels)), source);
    return target;
}

QPixmap FrameIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1);
}

QPixmap FrameIconEngine::scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale)
{
    // The size comes in device pixels.
    QPixmap pixmap = QPixmap::fromImage(scaled(image_, size));
    pixmap.setDevicePixelRatio(scale > 0 ? scale : 1);
    return pixmap;
}

QSize FrameIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) { return size; }

QList<QSize> FrameIconEngine::availableSizes(QIcon::Mode, QIcon::State) { return {image_.size()}; }

QIconEngine* FrameIconEngine::clone() const { return new FrameIconEngine(image_); }

QString FrameIconEngine::key() const { return QStringLiteral("FrameIconEngine"); }

} // namespace Kit
