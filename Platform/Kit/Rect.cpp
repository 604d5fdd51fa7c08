#include "Platform/Kit/Rect.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Kit {

Rect Rect::standardized() const
{
    Rect r = *this;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double Rect::minX() const { return standardized().origin.x; }
double Rect::midX() const { return standardized().origin.x + std::fabs(size.width) / 2; }
double Rect::maxX() const { return standardized().rawMaxX(); }
double Rect::minY() const { return standardized().origin.y; }
double Rect::midY() const { return standardized().origin.y + std::fabs(size.height) / 2; }
double Rect::maxY() const { return standardized().rawMaxY(); }

bool Rect::isEmpty() const { return !(size.width != 0 && size.height != 0); }

bool Rect::contains(Point p) const
{
    return !isEmpty() && p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const
{
    return !isEmpty() && !other.isEmpty() && other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY()
           && other.maxY() <= maxY();
}

bool Rect::intersects(const Rect& other) const { return !intersection(other).isEmpty(); }

Rect Rect::intersection(const Rect& other) const
{
    if (isEmpty() || other.isEmpty())
        return {};
    const double x0 = std::max(minX(), other.minX());
    const double y0 = std::max(minY(), other.minY());
    const double x1 = std::min(maxX(), other.maxX());
    const double y1 = std::min(maxY(), other.maxY());
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::united(const Rect& other) const
{
    if (isEmpty())
        return other.standardized();
    if (other.isEmpty())
        return standardized();
    const double x0 = std::min(minX(), other.minX());
    const double y0 = std::min(minY(), other.minY());
    return {x0, y0, std::max(maxX(), other.maxX()) - x0, std::max(maxY(), other.maxY()) - y0};
}

Rect Rect::insetBy(double dx, double dy) const
{
    const Rect r = standardized();
    return {r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy};
}

Rect Rect::inset(const EdgeInsets& e) const
{
    const Rect r = standardized();
    return {r.origin.x + e.left, r.origin.y + e.bottom, r.size.width - e.left - e.right,
            r.size.height - e.top - e.bottom};
}

Rect Rect::offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }

Rect Rect::integral() const
{
    const Rect r = standardized();
    const double x0 = std::floor(r.minX());
    const double y0 = std::floor(r.minY());
    return {x0, y0, std::ceil(r.maxX()) - x0, std::ceil(r.maxY()) - y0};
}

namespace {

void appendNumber(std::string& out, double value)
{
    if (value == 0)
        value = 0; // no "-0"
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

std::string stringFromRect(const Rect& rect)
{
    std::string out = "{{";
    appendNumber(out, rect.origin.x);
    out += ", ";
    appendNumber(out, rect.origin.y);
    out += "}, {";
    appendNumber(out, rect.size.width);
    out += ", ";
    appendNumber(out, rect.size.height);
    out += "}}";
    return out;
}

Rect rectFromString(std::string_view text)
{
    double values[4] = {0, 0, 0, 0};
    int found = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    while (p < end && found < 4) {
        const bool sign = (*p == '-' || *p == '+');
        const char* start = (*p == '+') ? p + 1 : p;
        const char* digits = sign ? p + 1 : p;
        if (digits < end && ((*digits >= '0' && *digits <= '9') || *digits == '.')) {
            double value = 0;
            const auto result = std::from_chars(start, end, value);
            if (result.ec == std::errc() && result.ptr != start) {
                values[found++] = std::isfinite(value) ? value : 0;
                p = result.ptr;
                continue;
            }
        }
        ++p;
    }
    return {values[0], values[1], values[2], values[3]};
}

} // namespace Kit
