#include "Platform/Kit/WorkspaceIcon.h"

#include "Platform/Kit/ImageRepresentation.h"

#include <QPainter>

namespace Kit {

namespace {

// A grey drive body with a darker base and a green activity light, drawn at 2 pixels per point.
Image genericDrive()
{
    Image image(Size {WorkspaceIcon::size, WorkspaceIcon::size}, 2);
    QPainter painter(&image.representation().pixels);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xB8, 0xBC, 0xC2));
    painter.drawRoundedRect(QRectF(2, 8, 28, 16), 3, 3);
    painter.setBrush(QColor(0x7A, 0x7F, 0x87));
    painter.drawRoundedRect(QRectF(2, 19, 28, 5), 2, 2);
    painter.setBrush(QColor(0x34, 0xC7, 0x59));
    painter.drawEllipse(QPointF(25, 21.5), 1.5, 1.5);
    return image;
}

} // namespace

Image WorkspaceIcon::iconForFile(std::string_view)
{
    static const Image drive = genericDrive();
    return drive.copy(); // callers may resize or tint theirs
}

} // namespace Kit
