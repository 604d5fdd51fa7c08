#include "QVToolsKit/UI/ViewFrameGeometry.h"

namespace QVToolsKit {

namespace {

template <class Change>
Kit::View& place(Kit::View& view, Change change)
{
    changeFrame(view, change);
    return view;
}

// With the superview's frame size; nothing without a superview.
template <class Change>
Kit::View& placeInSuper(Kit::View& view, Change change)
{
    const Kit::View* super = view.superview();
    if (!super)
        return view;
    const Kit::Size s = super->frame().size;
    return place(view, [&](Kit::Rect& r) { change(r, s); });
}

} // namespace

Kit::View& xIs(Kit::View& v, double value) { return place(v, [&](Kit::Rect& r) { r.origin.x = value; }); }
Kit::View& leftIs(Kit::View& v, double value) { return xIs(v, value); }
Kit::View& leftSpaceToSuper(Kit::View& v, double value) { return xIs(v, value); }
Kit::View& yIs(Kit::View& v, double value) { return place(v, [&](Kit::Rect& r) { r.origin.y = value; }); }
Kit::View& topIs(Kit::View& v, double value) { return yIs(v, value); }
Kit::View& topSpaceToSuper(Kit::View& v, double value) { return yIs(v, value); }
Kit::View& widthIs(Kit::View& v, double value) { return place(v, [&](Kit::Rect& r) { r.size.width = value; }); }
Kit::View& heightIs(Kit::View& v, double value) { return place(v, [&](Kit::Rect& r) { r.size.height = value; }); }
Kit::View& bottomIs(Kit::View& v, double value)
{
    return place(v, [&](Kit::Rect& r) { r.origin.y = value - r.height(); });
}
Kit::View& rightIs(Kit::View& v, double value)
{
    return place(v, [&](Kit::Rect& r) { r.origin.x = value - r.width(); });
}
Kit::View& centerXIs(Kit::View& v, double value)
{
    return place(v, [&](Kit::Rect& r) { r.origin.x = value - r.width() / 2; });
}
Kit::View& centerYIs(Kit::View& v, double value)
{
    return place(v, [&](Kit::Rect& r) { r.origin.y = value - r.height() / 2; });
}
Kit::View& originIs(Kit::View& v, double x, double y) { return place(v, [&](Kit::Rect& r) { r.origin = {x, y}; }); }
Kit::View& sizeIs(Kit::View& v, double w, double h) { return place(v, [&](Kit::Rect& r) { r.size = {w, h}; }); }
Kit::View& centerIs(Kit::View& v, double x, double y)
{
    return place(v, [&](Kit::Rect& r) { r.origin = {x - r.width() / 2, y - r.height() / 2}; });
}
Kit::View& frameIs(Kit::View& v, double x, double y, double w, double h)
{
    return place(v, [&](Kit::Rect& r) { r = {x, y, w, h}; });
}
Kit::View& offsetXIs(Kit::View& v, double d) { return place(v, [&](Kit::Rect& r) { r.origin.x += d; }); }
Kit::View& offsetYIs(Kit::View& v, double d) { return place(v, [&](Kit::Rect& r) { r.origin.y += d; }); }
Kit::View& offset(Kit::View& v, double dx, double dy)
{
    return place(v, [&](Kit::Rect& r) { r.origin = {r.x() + dx, r.y() + dy}; });
}

Kit::View& xEqualTo(Kit::View& v, const Kit::View& o) { return xIs(v, x(o)); }
Kit::View& leftEqualTo(Kit::View& v, const Kit::View& o) { return xIs(v, x(o)); }
Kit::View& yEqualTo(Kit::View& v, const Kit::View& o) { return yIs(v, y(o)); }
Kit::View& topEqualTo(Kit::View& v, const Kit::View& o) { return yIs(v, y(o)); }
Kit::View& originEqualTo(Kit::View& v, const Kit::View& o) { return originIs(v, x(o), y(o)); }
Kit::View& widthEqualTo(Kit::View& v, const Kit::View& o) { return widthIs(v, width(o)); }
Kit::View& heightEqualTo(Kit::View& v, const Kit::View& o) { return heightIs(v, height(o)); }
Kit::View& sizeEqualTo(Kit::View& v, const Kit::View& o) { return sizeIs(v, width(o), height(o)); }
Kit::View& bottomEqualTo(Kit::View& v, const Kit::View& o, double d) { return bottomIs(v, bottom(o) + d); }
Kit::View& rightEqualTo(Kit::View& v, const Kit::View& o, double d) { return rightIs(v, maxX(o) + d); }
Kit::View& centerXEqualTo(Kit::View& v, const Kit::View& o, double d) { return centerXIs(v, centerX(o) + d); }
Kit::View& centerYEqualTo(Kit::View& v, const Kit::View& o, double d) { return centerYIs(v, centerY(o) + d); }
Kit::View& centerEqualTo(Kit::View& v, const Kit::View& o) { return centerIs(v, centerX(o), centerY(o)); }
Kit::View& xEqualTo(Kit::View& v, const Kit::View& o, double d) { return xIs(v, x(o) + d); }
Kit::View& leftEqualTo(Kit::View& v, const Kit::View& o, double d) { return xIs(v, x(o) + d); }
Kit::View& yEqualTo(Kit::View& v, const Kit::View& o, double d) { return yIs(v, y(o) + d); }
Kit::View& topEqualTo(Kit::View& v, const Kit::View& o, double d) { return yIs(v, y(o) + d); }

Kit::View& topSpaceTo(Kit::View& v, const Kit::View& o, double space) { return yIs(v, bottom(o) + space); }
Kit::View& leftSpaceTo(Kit::View& v, const Kit::View& o, double space) { return xIs(v, maxX(o) + space); }
Kit::View& bottomSpaceTo(Kit::View& v, const Kit::View& o, double space)
{
    return place(v, [&](Kit::Rect& r) { r.origin.y = y(o) - space - r.height(); });
}
Kit::View& rightSpaceTo(Kit::View& v, const Kit::View& o, double space)
{
    return place(v, [&](Kit::Rect& r) { r.origin.x = x(o) - space - r.width(); });
}

Kit::View& rightEqualToSuper(Kit::View& v)
{
    return placeInSuper(v, [](Kit::Rect& r, Kit::Size s) { r.origin.x = s.width - r.width(); });
}
Kit::View& bottomEqualToSuper(Kit::View& v)
{
    return placeInSuper(v, [](Kit::Rect& r, Kit::Size s) { r.origin.y = s.height - r.height(); });
}
Kit::View& centerEqualToSuper(Kit::View& v)
{
    return placeInSuper(v, [](Kit::Rect& r, Kit::Size s) {
        r.origin = {s.width / 2 - r.width() / 2, s.height / 2 - r.height() / 2};
    });
}
Kit::View& centerXEqualToSuper(Kit::View& v)
{
    return placeInSuper(v, [](Kit::Rect& r, Kit::Size s) { r.origin.x = s.width / 2 - r.width() / 2; });
}
Kit::View& centerYEqualToSuper(Kit::View& v)
{
    return placeInSuper(v, [](Kit::Rect& r, Kit::Size s) { r.origin.y = s.height / 2 - r.height() / 2; });
}
Kit::View& rightSpaceToSuper(Kit::View& v, double space)
{
    return placeInSuper(v, [&](Kit::Rect& r, Kit::Size s) { r.origin.x = s.width - space - r.width(); });
}
Kit::View& bottomSpaceToSuper(Kit::View& v, double space)
{
    return placeInSuper(v, [&](Kit::Rect& r, Kit::Size s) { r.origin.y = s.height - space - r.height(); });
}
Kit::View& edgeToSuper(Kit::View& v, double top, double left, double bottom, double right)
{
    return placeInSuper(v, [&](Kit::Rect& r, Kit::Size s) {
        r = {left, top, s.width - left - right, s.height - top - bottom};
    });
}

} // namespace QVToolsKit
