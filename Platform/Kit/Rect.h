#pragma once

#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Point.h"
#include "Platform/Kit/Size.h"

#include <string>
#include <string_view>

namespace Kit {

// An origin and a size. The min/mid/max reads normalise a rectangle with a negative width or height
// first (as the platform's rectangle functions do); rawMaxX/rawMaxY are x + width and y + height as
// they stand.
struct AERLO_KIT_EXPORT Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double width, double height) : origin {x, y}, size {width, height} {}

    friend bool operator==(const Rect&, const Rect&) = default;

    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }

    Rect standardized() const;
    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;
    double rawMaxX() const { return origin.x + size.width; }
    double rawMaxY() const { return origin.y + size.height; }

    bool isEmpty() const; // no area (or a NaN)
    // The point lies inside, minimum edges included and maximum edges excluded.
    bool contains(Point point) const;
    bool contains(const Rect& other) const;
    bool intersects(const Rect& other) const;
    Rect intersection(const Rect& other) const; // the zero rect when they do not meet
    Rect united(const Rect& other) const;
    Rect insetBy(double dx, double dy) const;
    Rect inset(const EdgeInsets& insets) const; // top is the maximum-y side
    Rect offsetBy(double dx, double dy) const;
    Rect integral() const;
};

// "{{x, y}, {w, h}}" with the shortest text that reads back as the same numbers.
AERLO_KIT_EXPORT std::string stringFromRect(const Rect& rect);
// Scans the text for up to four numbers in that order; the missing ones are 0.
AERLO_KIT_EXPORT Rect rectFromString(std::string_view text);

} // namespace Kit
