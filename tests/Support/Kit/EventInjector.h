#pragma once

#include "Platform/Kit/Event.h"
#include "Platform/Kit/Point.h"

namespace Kit {
class Window;
}

namespace Kit::Testing {

// Feeds synthesised input to a window's dispatcher. Points are in window coordinates (y up).
class EventInjector {
public:
    explicit EventInjector(Window& window) : window_(window) {}

    void moveTo(Point point);
    void down(Point point, Event::Type type = Event::Type::leftMouseDown);
    void dragTo(Point point);
    void up(Point point, Event::Type type = Event::Type::leftMouseUp);
    void click(Point point);
    // Down at `from`, drags through `steps` evenly spaced points, up at `to`.
    void drag(Point from, Point to, int steps = 4);
    void wheel(Point point, double dx, double dy, bool inverted = false, bool precise = false,
               unsigned phase = Event::phaseNone);
    void exit();
    void key(const std::string& characters, unsigned short keyCode = 0);

    unsigned modifierFlags = 0;

private:
    void send(Event event);
    void button(Point point, Event::Type type, bool pressed);
    Window& window_;
    Point last_;
    bool pressed_ = false;
};

} // namespace Kit::Testing
