#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

// A point in AppKit's coordinates (y up unless the view it belongs to is flipped).
struct AERLO_KIT_EXPORT Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
    Point operator+(const Point& other) const { return {x + other.x, y + other.y}; }
    Point operator-(const Point& other) const { return {x - other.x, y - other.y}; }
};

} // namespace Kit
