#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Point.h"

namespace Kit {

// x' = a·x + c·y + tx, y' = b·x + d·y + ty.
struct AERLO_KIT_EXPORT AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;

    static AffineTransform identity() { return {}; }
    static AffineTransform rotation(double angle);
    static AffineTransform scale(double sx, double sy);
    static AffineTransform translation(double dx, double dy);

    bool isIdentity() const { return *this == AffineTransform {}; }
    // This transform, then `next`.
    AffineTransform concatenating(const AffineTransform& next) const;
    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

    // The parts a transform built as scale, then rotation, then translation reads back as.
    double rotationAngle() const; // in (−π, π]
    double scaleX() const;
    double scaleY() const;
    static AffineTransform compose(double rotation, double scaleX, double scaleY, double translationX,
                                   double translationY);
};

} // namespace Kit
