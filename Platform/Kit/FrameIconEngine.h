#pragma once

#include "Platform/Kit/KitExport.h"

#include <QIconEngine>
#include <QImage>

namespace Kit {

// An icon drawn straight from one image. The pixmap engine behind QIcon(QPixmap) keeps every size it
// scales to in the process-wide pixmap cache under the icon's key, and an animation makes new icons.
// An image of the asked pixel size is drawn unscaled; pixmaps asked of it (as a tray's host asks) are
// transparent where the image is, at the size asked.
class AERLO_KIT_EXPORT FrameIconEngine final : public QIconEngine {
public:
    explicit FrameIconEngine(QImage image);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

    // The image drawn into a transparent image of `pixels` (the image as it is at its own size).
    static QImage scaled(const QImage& image, const QSize& pixels);

private:
    QImage image_;
};

} // namespace Kit
