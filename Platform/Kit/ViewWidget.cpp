#include "Platform/Kit/ViewWidget.h"

#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewAccessible.h"

#include <QEvent>
#include <QPaintEvent>

namespace Kit::detail {

ViewWidget::ViewWidget(View& view) : view_(view)
{
    ViewAccessible::install();
    setAttribute(Qt::WA_NoSystemBackground);
}

void ViewWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(contentOrigin);
    auto context = QtBridge::makeContext(painter, view_.bounds(), view_.isFlipped());
    GraphicsContext::Scope scope(*context);
    const QRectF dirty = QRectF(event->rect()).translated(-contentOrigin);
    const Rect dirtyRect = view_.isFlipped() ? Rect(dirty.x() + view_.bounds().x(), dirty.y() + view_.bounds().y(),
                                                    dirty.width(), dirty.height())
                                             : QtBridge::flipped(QtBridge::rect(dirty), view_.bounds().height())
                                                   .offsetBy(view_.bounds().x(), view_.bounds().y());
    view_.paint(*context, dirtyRect);
}

bool ViewWidget::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        // Kit dispatches input from the window; nothing propagates to parent widgets.
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}

} // namespace Kit::detail
