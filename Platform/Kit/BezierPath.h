#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/Rect.h"

#include <array>
#include <vector>

namespace Kit {

// A path of move, line, cubic-curve and close elements in the coordinates of the view that uses it.
class AERLO_KIT_EXPORT BezierPath {
public:
    enum class ElementType { moveTo, lineTo, curveTo, closePath };
    // curveTo: points[0], points[1] are the control points and points[2] the end point; the others
    // use points[0].
    struct Element {
        ElementType type;
        std::array<Point, 3> points{};
        friend bool operator==(const Element&, const Element&) = default;
    };
    enum class WindingRule { nonZero, evenOdd };

    BezierPath() = default;
    virtual ~BezierPath() = default;
    BezierPath(const BezierPath&) = default;
    BezierPath& operator=(const BezierPath&) = default;

    static BezierPath rect(const Rect& rect);
    static BezierPath oval(const Rect& rect);
    static BezierPath roundedRect(const Rect& rect, double xRadius, double yRadius);

    void moveTo(Point point);
    void lineTo(Point point);
    void curveTo(Point end, Point control1, Point control2);
    void closePath();
    void appendRect(const Rect& rect);
    void appendOval(const Rect& rect);
    void appendRoundedRect(const Rect& rect, double xRadius, double yRadius);
    // Angles in degrees, counter-clockwise from +x (y up); a line joins the current point to the start.
    void appendArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void append(const BezierPath& other);
    // A continuous corner of three cubic curves from the current point: `u` is the direction of
    // travel, `v` the direction after the turn (unit vectors); it ends 1.28195·radius along both.
    void appendContinuousCorner(Point u, Point v, double radius, double k = 0.215);
    static constexpr double continuousCornerExtent = 1.28195;

    const std::vector<Element>& elements() const { return elements_; }
    std::size_t elementCount() const { return elements_.size(); }
    bool isEmpty() const { return elements_.empty(); }
    Point currentPoint() const;
    Rect controlPointBounds() const;
    bool contains(Point point) const;
    BezierPath transformed(const AffineTransform& transform) const;

    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) { lineWidth_ = width; }
    WindingRule windingRule() const { return windingRule_; }
    void setWindingRule(WindingRule rule) { windingRule_ = rule; }

    // Drawing into the current graphics context with its fill or stroke colour.
    void fill() const;
    void stroke() const;

private:
    std::vector<Element> elements_;
    Point subpathStart_;
    double lineWidth_ = 1;
    WindingRule windingRule_ = WindingRule::nonZero;
};

} // namespace Kit
