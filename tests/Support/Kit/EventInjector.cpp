#include "tests/Support/Kit/EventInjector.h"

#include "Platform/Kit/Window.h"

namespace Kit::Testing {

void EventInjector::send(Event event)
{
    event.modifierFlags = modifierFlags;
    event.window = &window_;
    window_.sendEvent(event);
}

void EventInjector::moveTo(Point p)
{
    last_ = p;
    Event e;
    e.type = pressed_ ? Event::Type::leftMouseDragged : Event::Type::mouseMoved;
    e.locationInWindow = p;
    send(e);
}

void EventInjector::button(Point p, Event::Type type, bool pressed)
{
    last_ = p;
    pressed_ = pressed;
    Event e;
    e.type = type;
    e.locationInWindow = p;
    e.clickCount = 1;
    send(e);
}

void EventInjector::down(Point p, Event::Type type) { button(p, type, true); }

void EventInjector::dragTo(Point p)
{
    last_ = p;
    Event e;
    e.type = Event::Type::leftMouseDragged;
    e.locationInWindow = p;
    send(e);
}

void EventInjector::up(Point p, Event::Type type) { button(p, type, false); }

void EventInjector::click(Point p)
{
    down(p);
    up(p);
}

void EventInjector::drag(Point from, Point to, int steps)
{
    down(from);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        dragTo({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    up(to);
}

void EventInjector::wheel(Point p, double dx, double dy, bool inverted, bool precise, unsigned phase)
{
    Event e;
    e.type = Event::Type::scrollWheel;
    e.locationInWindow = p;
    e.deltaX = dx;
    e.deltaY = dy;
    e.scrollingDeltaX = precise ? dx : dx * 10;
    e.scrollingDeltaY = precise ? dy : dy * 10;
    e.hasPreciseScrollingDeltas = precise;
    e.isDirectionInvertedFromDevice = inverted;
    e.phase = phase;
    send(e);
}

void EventInjector::exit()
{
    Event e;
    e.type = Event::Type::mouseExited;
    e.locationInWindow = last_;
    send(e);
}

void EventInjector::key(const std::string& characters, unsigned short keyCode)
{
    Event e;
    e.type = Event::Type::keyDown;
    e.characters = characters;
    e.keyCode = keyCode;
    send(e);
}

} // namespace Kit::Testing
