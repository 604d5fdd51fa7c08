#include "Platform/Kit/BezierPath.h"

#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/QtBridge.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Kit {

namespace {
constexpr double kappa = 0.5522847498307936; // cubic approximation of a quarter circle
}

BezierPath BezierPath::rect(const Rect& r)
{
    BezierPath p;
    p.appendRect(r);
    return p;
}

BezierPath BezierPath::oval(const Rect& r)
{
    BezierPath p;
    p.appendOval(r);
    return p;
}

BezierPath BezierPath::roundedRect(const Rect& r, double xr, double yr)
{
    BezierPath p;
    p.appendRoundedRect(r, xr, yr);
    return p;
}

void BezierPath::moveTo(Point p)
{
    elements_.push_back({ElementType::moveTo, {p}});
    subpathStart_ = p;
}

void BezierPath::lineTo(Point p) { elements_.push_back({ElementType::lineTo, {p}}); }

void BezierPath::curveTo(Point end, Point c1, Point c2) { elements_.push_back({ElementType::curveTo, {c1, c2, end}}); }

void BezierPath::closePath()
{
    elements_.push_back({ElementType::closePath, {subpathStart_}});
}

void BezierPath::appendRect(const Rect& rect)
{
    const Rect r = rect.standardized();
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    closePath();
}

void BezierPath::appendOval(const Rect& rect)
{
    appendRoundedRect(rect, std::fabs(rect.width()) / 2, std::fabs(rect.height()) / 2);
}

void BezierPath::appendRoundedRect(const Rect& rect, double xr, double yr)
{
    const Rect r = rect.standardized();
    xr = std::clamp(xr, 0.0, r.width() / 2);
    yr = std::clamp(yr, 0.0, r.height() / 2);
    if (xr <= 0 || yr <= 0) {
        appendRect(r);
        return;
    }
    const double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    const double kx = xr * kappa, ky = yr * kappa;
    moveTo({x0 + xr, y0});
    lineTo({x1 - xr, y0});
    curveTo({x1, y0 + yr}, {x1 - xr + kx, y0}, {x1, y0 + yr - ky});
    lineTo({x1, y1 - yr});
    curveTo({x1 - xr, y1}, {x1, y1 - yr + ky}, {x1 - xr + kx, y1});
    lineTo({x0 + xr, y1});
    curveTo({x0, y1 - yr}, {x0 + xr - kx, y1}, {x0, y1 - yr + ky});
    lineTo({x0, y0 + yr});
    curveTo({x0 + xr, y0}, {x0, y0 + yr - ky}, {x0 + xr - kx, y0});
    closePath();
}

void BezierPath::appendArc(Point c, double radius, double startAngle, double endAngle, bool clockwise)
{
    const double toRad = M_PI / 180.0;
    double a0 = startAngle * toRad;
    double a1 = endAngle * toRad;
    if (!std::isfinite(a0) || !std::isfinite(a1) || !std::isfinite(radius))
        return;
    // Sweep in the requested direction, at most one full turn.
    double sweep = a1 - a0;
    if (clockwise) {
        while (sweep > 0) sweep -= 2 * M_PI;
        sweep = std::max(sweep, -2 * M_PI);
    } else {
        while (sweep < 0) sweep += 2 * M_PI;
        sweep = std::min(sweep, 2 * M_PI);
    }
    const Point start{c.x + radius * std::cos(a0), c.y + radius * std::sin(a0)};
    if (elements_.empty() || elements_.back().type == ElementType::closePath)
        moveTo(start);
    else
        lineTo(start);
    const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (M_PI / 2) - 1e-9)));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double s = a0 + step * i;
        const double e = s + step;
        const Point p0{c.x + radius * std::cos(s), c.y + radius * std::sin(s)};
        const Point p3{c.x + radius * std::cos(e), c.y + radius * std::sin(e)};
        const Point c1{p0.x - k * radius * std::sin(s), p0.y + k * radius * std::cos(s)};
        const Point c2{p3.x + k * radius * std::sin(e), p3.y - k * radius * std::cos(e)};
        curveTo(p3, c1, c2);
    }
}

void BezierPath::append(const BezierPath& other)
{
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
    subpathStart_ = other.subpathStart_;
}

void BezierPath::appendContinuousCorner(Point u, Point v, double r, double k)
{
    Point at = currentPoint();
    auto offset = [&](double cu, double cv) { return Point{at.x + (cu * u.x + cv * v.x) * r, at.y + (cu * u.y + cv * v.y) * r}; };
    struct Curve {
        double endU, endV, c1U, c1V, c2U, c2V;
    };
    const Curve curves[3] = {
        {0.77037, 0.13357, 0.44576, 0, 0.6074, 0.04641},
        {0.37801, 0.37801, 0.16296, 0.08715, 0.290086, k},
        {0.13357, 0.77037, 0.08715, 0.16296, 0.13357, 0.32461},
    };
    for (const auto& c : curves) {
        const Point end = offset(c.endU, c.endV);
        curveTo(end, offset(c.c1U, c.c1V), offset(c.c2U, c.c2V));
        at = end;
    }
}

Point BezierPath::currentPoint() const
{
    if (elements_.empty())
        return {};
    const auto& e = elements_.back();
    return e.type == ElementType::curveTo ? e.points[2] : e.points[0];
}

Rect BezierPath::controlPointBounds() const
{
    if (elements_.empty())
        return {};
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const auto& e : elements_) {
        const int n = e.type == ElementType::curveTo ? 3 : 1;
        for (int i = 0; i < n; ++i) {
            x0 = std::min(x0, e.points[i].x);
            y0 = std::min(y0, e.points[i].y);
            x1 = std::max(x1, e.points[i].x);
            y1 = std::max(y1, e.points[i].y);
        }
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

bool BezierPath::contains(Point p) const { return QtBridge::path(*this).contains(QPointF(p.x, p.y)); }

BezierPath BezierPath::transformed(const AffineTransform& t) const
{
    BezierPath out = *this;
    for (auto& e : out.elements_)
        for (auto& p : e.points)
            p = t.apply(p);
    out.subpathStart_ = t.apply(subpathStart_);
    return out;
}

void BezierPath::fill() const
{
    if (auto* c = GraphicsContext::current())
        c->fillPath(*this, c->fillColour());
}

void BezierPath::stroke() const
{
    if (auto* c = GraphicsContext::current())
        c->strokePath(*this, c->strokeColour(), lineWidth_);
}

} // namespace Kit
