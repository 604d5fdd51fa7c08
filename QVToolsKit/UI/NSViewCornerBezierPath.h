#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/BezierPath.h"

namespace QVToolsKit {

// Four corner radii; `topLeft` is the corner at (0, 0) of the outline.
struct QVTOOLSKITUI_EXPORT NSViewMaskCorner {
    double topLeft = 0;
    double topRight = 0;
    double bottomRight = 0;
    double bottomLeft = 0;
    friend bool operator==(const NSViewMaskCorner&, const NSViewMaskCorner&) = default;
};

// The outline of a rectangle with continuous corners, each of three cubic curves.
class QVTOOLSKITUI_EXPORT NSViewCornerBezierPath : public Kit::BezierPath {
public:
    NSViewCornerBezierPath() = default;
    // The outline over a rectangle with origin (0, 0) and the rect's size.
    NSViewCornerBezierPath(const Kit::Rect& rect, const NSViewMaskCorner& corner);

    // A new path with the same move, line, curve and close elements.
    virtual Kit::BezierPath getCGPath() const;

    double coefficient() const { return coeff_; }

private:
    double coeff_ = Kit::BezierPath::continuousCornerExtent;
};

} // namespace QVToolsKit
