#include "Platform/Kit/Cursor.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/QtBridge.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace Kit {

namespace {

struct CursorState {
    Cursor current;
    std::vector<Cursor> stack;
    int hides = 0;
    bool overrideInstalled = false;
};

CursorState& state()
{
    static Foundation::SharedInstance<CursorState> cursorState;
    return cursorState.get();
}

// Shows what the state says through the application's override cursor; no application, nothing to show.
void apply()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    CursorState& s = state();
    const QCursor shown = s.hides > 0 ? QCursor(Qt::BlankCursor) : s.current.qtCursor();
    const bool wanted = s.hides > 0 || s.current.shape() != Cursor::Shape::arrow;
    if (wanted && !s.overrideInstalled) {
        QGuiApplication::setOverrideCursor(shown);
        s.overrideInstalled = true;
    } else if (wanted) {
        QGuiApplication::changeOverrideCursor(shown);
    } else if (s.overrideInstalled) {
        QGuiApplication::restoreOverrideCursor();
        s.overrideInstalled = false;
    }
}

} // namespace

void Cursor::set() const
{
    state().current = *this;
    apply();
}

void Cursor::push() const
{
    state().stack.push_back(state().current);
    set();
}

void Cursor::pop()
{
    CursorState& s = state();
    if (s.stack.empty())
        return;
    const Cursor previous = s.stack.back();
    s.stack.pop_back();
    previous.set();
}

Cursor Cursor::current() { return state().current; }

void Cursor::hide()
{
    ++state().hides;
    apply();
}

void Cursor::unhide()
{
    if (state().hides == 0)
        return;
    --state().hides;
    apply();
}

bool Cursor::isHidden() { return state().hides > 0; }

int Cursor::hideCount() { return state().hides; }

QCursor Cursor::qtCursor() const
{
    switch (shape_) {
    case Shape::arrow:
        return Qt::ArrowCursor;
    case Shape::iBeam:
        return Qt::IBeamCursor;
    case Shape::crosshair:
        return Qt::CrossCursor;
    case Shape::pointingHand:
        return Qt::PointingHandCursor;
    case Shape::openHand:
        return Qt::OpenHandCursor;
    case Shape::closedHand:
        return Qt::ClosedHandCursor;
    case Shape::resizeLeftRight:
        return Qt::SizeHorCursor;
    case Shape::resizeUpDown:
        return Qt::SizeVerCursor;
    case Shape::resizeNorthWestSouthEast:
        return Qt::SizeFDiagCursor;
    case Shape::resizeNorthEastSouthWest:
        return Qt::SizeBDiagCursor;
    case Shape::operationNotAllowed:
        return Qt::ForbiddenCursor;
    case Shape::image: {
        if (!image_.isValid())
            return Qt::ArrowCursor;
        QPixmap pixmap = QPixmap::fromImage(QtBridge::image(image_));
        pixmap.setDevicePixelRatio(image_.size().width > 0 ? image_.pixelsWide() / image_.size().width : 1);
        return QCursor(pixmap, static_cast<int>(hotSpot_.x), static_cast<int>(hotSpot_.y));
    }
    }
    return Qt::ArrowCursor;
}

void Cursor::resetForTesting()
{
    CursorState& s = state();
    s.current = Cursor();
    s.stack.clear();
    s.hides = 0;
    apply();
}

} // namespace Kit
