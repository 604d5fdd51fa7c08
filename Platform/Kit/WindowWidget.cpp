#include "Platform/Kit/WindowWidget.h"

#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/ViewAccessible.h"
#include "Platform/Kit/Window.h"

#include <QEvent>
#include <QPainter>
#include <QWindow>

namespace Kit::detail {

WindowWidget::WindowWidget(Window& window) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), window_(window)
{
    ViewAccessible::install();
}

void WindowWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Appearance::CurrentScope scope(window_.effectiveAppearance());
    const QColor background = QtBridge::colour(window_.backgroundColor());
    if (background.alpha() > 0) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), background);
    }
}

bool WindowWidget::event(QEvent* event)
{
    if (!filtering_ && windowHandle()) {
        windowHandle()->installEventFilter(this);
        filtering_ = true;
    }
    if (event->type() == QEvent::WindowDeactivate && window_.isKeyWindow())
        window_.resignKey();
    // No release comes once another window has the pointer or this one is gone.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
        window_.cancelMouseTracking();
    if (event->type() == QEvent::Hide)
        window_.windowWasHiddenByQt();
    // Qt asks the top-level to repaint: Kit's display cycle runs first.
    if (event->type() == QEvent::UpdateRequest)
        window_.displayIfNeeded();
    return QWidget::event(event);
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && window_.handleQtEvent(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace Kit::detail
