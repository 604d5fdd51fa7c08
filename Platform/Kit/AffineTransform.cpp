#include "Platform/Kit/AffineTransform.h"

#include <cmath>

namespace Kit {

AffineTransform AffineTransform::rotation(double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

AffineTransform AffineTransform::translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }

AffineTransform AffineTransform::concatenating(const AffineTransform& n) const
{
    return {a * n.a + b * n.c, a * n.b + b * n.d,          c * n.a + d * n.c,
            c * n.b + d * n.d, tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty};
}

double AffineTransform::rotationAngle() const
{
    const double angle = std::atan2(b, a);
    return angle == -M_PI ? M_PI : angle;
}

double AffineTransform::scaleX() const { return std::hypot(a, b); }

double AffineTransform::scaleY() const
{
    const double sx = scaleX();
    return sx == 0 ? std::hypot(c, d) : (a * d - b * c) / sx;
}

AffineTransform AffineTransform::compose(double rotation, double sx, double sy, double dx, double dy)
{
    return AffineTransform::scale(sx, sy)
        .concatenating(AffineTransform::rotation(rotation))
        .concatenating(AffineTransform::translation(dx, dy));
}

} // namespace Kit
