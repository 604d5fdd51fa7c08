#include "Platform/Kit/FrameIconEngine.h"
#include "tests/Support/Kit/KitTest.h"

#include <QIcon>
#include <QPainter>

#include <gtest/gtest.h>

using namespace Kit;

namespace {

class FrameIconEngineTest : public Testing::KitTest {};

// A 44-pixel frame: a filled disc in the middle, clear around it.
QImage discFrame()
{
    QImage image(44, 44, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(8, 8, 28, 28));
    return image;
}

TEST_F(FrameIconEngineTest, PixmapsAskedOfTheIconAreTransparentAroundTheGlyphAtTheAskedSize)
{
    const QIcon icon(new FrameIconEngine(discFrame()));
    for (const int side : {16, 22, 44, 64}) {
        const QImage pixels = icon.pixmap(QSize(side, side), 1.0).toImage();
        ASSERT_EQ(pixels.size(), QSize(side, side)) << side;
        ASSERT_TRUE(pixels.hasAlphaChannel()) << side;
        // Every edge row and column is clear; the middle is the glyph.
        for (int i = 0; i < side; ++i) {
            EXPECT_EQ(qAlpha(pixels.pixel(i, 0)), 0) << side << " top " << i;
            EXPECT_EQ(qAlpha(pixels.pixel(i, side - 1)), 0) << side << " bottom " << i;
            EXPECT_EQ(qAlpha(pixels.pixel(0, i)), 0) << side << " left " << i;
            EXPECT_EQ(qAlpha(pixels.pixel(side - 1, i)), 0) << side << " right " << i;
        }
        EXPECT_EQ(qAlpha(pixels.pixel(side / 2, side / 2)), 255) << side;
    }
    // At a device pixel ratio: the pixels of the size times the ratio.
    const QPixmap doubled = icon.pixmap(QSize(22, 22), 2.0);
    EXPECT_EQ(doubled.size(), QSize(44, 44));
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    EXPECT_EQ(qAlpha(doubled.toImage().pixel(0, 0)), 0);
}

} // namespace
