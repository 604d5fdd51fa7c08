#include "Platform/Kit/Panel.h"

#include <QWidget>

namespace Kit {

Panel::Panel(const Rect& contentRect, unsigned styleMask, int backing, bool defer)
    : Window(contentRect, styleMask, backing, defer)
{
    setHidesOnDeactivate(true);
    QWidget* widget = qtWidget();
    widget->setWindowFlag(Qt::Tool, true);
    if (isNonactivating()) {
        widget->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
        widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
    }
}

void Panel::setFloatingPanel(bool floating) { setLevel(floating ? Level::floating : Level::normal); }

} // namespace Kit
