#pragma once

#include "Platform/Kit/Rect.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

#include <concepts>

namespace QVToolsKit {

// How each framed type reads and writes its frame. Views normalise a rectangle with a negative size
// before taking its middle and maximum; windows and screens compute x + width directly.
template <class T>
struct Framed;

template <>
struct Framed<Kit::View> {
    static constexpr bool normalises = true;
    static Kit::Rect frame(const Kit::View& view) { return view.frame(); }
    static void setFrame(Kit::View& view, const Kit::Rect& frame) { view.setFrame(frame); }
};

template <>
struct Framed<Kit::Window> {
    static constexpr bool normalises = false;
    static Kit::Rect frame(const Kit::Window& window) { return window.frame(); }
    static void setFrame(Kit::Window& window, const Kit::Rect& frame) { window.setFrame(frame, true); }
};

template <>
struct Framed<Kit::Screen> {
    static constexpr bool normalises = false;
    static Kit::Rect frame(const Kit::Screen& screen) { return screen.frame(); }
};

template <class T>
concept HasFrame = requires(const T& t) { Framed<T>::frame(t); };
template <class T>
concept HasSettableFrame = HasFrame<T> && requires(T& t, const Kit::Rect& r) { Framed<T>::setFrame(t, r); };

// The reads, once for every framed type.
template <HasFrame T> double x(const T& o) { return Framed<T>::frame(o).x(); }
template <HasFrame T> double left(const T& o) { return x(o); }
template <HasFrame T> double y(const T& o) { return Framed<T>::frame(o).y(); }
template <HasFrame T> double top(const T& o) { return y(o); }
template <HasFrame T> double width(const T& o) { return Framed<T>::frame(o).width(); }
template <HasFrame T> double height(const T& o) { return Framed<T>::frame(o).height(); }
template <HasFrame T> Kit::Point origin(const T& o) { return Framed<T>::frame(o).origin; }
template <HasFrame T> Kit::Size size(const T& o) { return Framed<T>::frame(o).size; }
template <HasFrame T> double centerX(const T& o)
{
    const Kit::Rect r = Framed<T>::frame(o);
    return Framed<T>::normalises ? r.midX() : r.x() + r.width() / 2;
}
template <HasFrame T> double centerY(const T& o)
{
    const Kit::Rect r = Framed<T>::frame(o);
    return Framed<T>::normalises ? r.midY() : r.y() + r.height() / 2;
}
template <HasFrame T> Kit::Point center(const T& o) { return {centerX(o), centerY(o)}; }
template <HasFrame T> double maxX(const T& o)
{
    const Kit::Rect r = Framed<T>::frame(o);
    return Framed<T>::normalises ? r.maxX() : r.rawMaxX();
}
template <HasFrame T> double maxY(const T& o)
{
    const Kit::Rect r = Framed<T>::frame(o);
    return Framed<T>::normalises ? r.maxY() : r.rawMaxY();
}
template <HasFrame T> double right(const T& o) { return maxX(o); }
// y + height as it stands (the name follows a y-downward convention).
template <HasFrame T> double bottom(const T& o) { return Framed<T>::frame(o).rawMaxY(); }
template <HasFrame T> Kit::Point centerPoint(const T& o)
{
    const Kit::Rect r = Framed<T>::frame(o);
    return {r.width() / 2, r.height() / 2};
}

// The writes: read the frame, change one part, set the frame.
template <HasSettableFrame T> void changeFrame(T& o, auto change)
{
    Kit::Rect r = Framed<T>::frame(o);
    change(r);
    Framed<T>::setFrame(o, r);
}
template <HasSettableFrame T> void setX(T& o, double v) { changeFrame(o, [&](Kit::Rect& r) { r.origin.x = v; }); }
template <HasSettableFrame T> void setLeft(T& o, double v) { setX(o, v); }
template <HasSettableFrame T> void setY(T& o, double v) { changeFrame(o, [&](Kit::Rect& r) { r.origin.y = v; }); }
template <HasSettableFrame T> void setTop(T& o, double v) { setY(o, v); }
template <HasSettableFrame T> void setWidth(T& o, double v) { changeFrame(o, [&](Kit::Rect& r) { r.size.width = v; }); }
template <HasSettableFrame T> void setHeight(T& o, double v) { changeFrame(o, [&](Kit::Rect& r) { r.size.height = v; }); }
template <HasSettableFrame T> void setSize(T& o, Kit::Size v) { changeFrame(o, [&](Kit::Rect& r) { r.size = v; }); }
template <HasSettableFrame T> void setOrigin(T& o, Kit::Point v) { changeFrame(o, [&](Kit::Rect& r) { r.origin = v; }); }
template <HasSettableFrame T> void setCenter(T& o, Kit::Point v)
{
    changeFrame(o, [&](Kit::Rect& r) { r.origin = {v.x - r.width() / 2, v.y - r.height() / 2}; });
}
template <HasSettableFrame T> void setCenterX(T& o, double v)
{
    changeFrame(o, [&](Kit::Rect& r) { r.origin.x = v - r.width() / 2; });
}
template <HasSettableFrame T> void setCenterY(T& o, double v)
{
    changeFrame(o, [&](Kit::Rect& r) { r.origin.y = v - r.height() / 2; });
}
template <HasSettableFrame T> void setBottom(T& o, double v)
{
    changeFrame(o, [&](Kit::Rect& r) { r.origin.y = v - r.height(); });
}
template <HasSettableFrame T> void setRight(T& o, double v)
{
    changeFrame(o, [&](Kit::Rect& r) { r.origin.x = v - r.width(); });
}

} // namespace QVToolsKit
