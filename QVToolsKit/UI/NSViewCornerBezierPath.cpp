#include "QVToolsKit/UI/NSViewCornerBezierPath.h"

namespace QVToolsKit {

namespace {
constexpr double kAtTopRightAndBottomLeft = 0.215;
constexpr double kAtBottomRightAndTopLeft = 0.21505;
} // namespace

NSViewCornerBezierPath::NSViewCornerBezierPath(const Kit::Rect& rect, const NSViewMaskCorner& corner)
{
    const double w = rect.width();
    const double h = rect.height();
    const double c = coeff_;
    moveTo({c * corner.topLeft, 0});
    lineTo({w - c * corner.topRight, 0});
    appendContinuousCorner({1, 0}, {0, 1}, corner.topRight, kAtTopRightAndBottomLeft);
    lineTo({w, h - c * corner.bottomRight});
    appendContinuousCorner({0, 1}, {-1, 0}, corner.bottomRight, kAtBottomRightAndTopLeft);
    lineTo({c * corner.bottomLeft, h});
    appendContinuousCorner({-1, 0}, {0, -1}, corner.bottomLeft, kAtTopRightAndBottomLeft);
    lineTo({0, c * corner.topLeft});
    appendContinuousCorner({0, -1}, {1, 0}, corner.topLeft, kAtBottomRightAndTopLeft);
    closePath();
}

Kit::BezierPath NSViewCornerBezierPath::getCGPath() const
{
    Kit::BezierPath path;
    for (const auto& element : elements()) {
        switch (element.type) {
        case ElementType::moveTo: path.moveTo(element.points[0]); break;
        case ElementType::lineTo: path.lineTo(element.points[0]); break;
        case ElementType::curveTo: path.curveTo(element.points[2], element.points[0], element.points[1]); break;
        case ElementType::closePath: path.closePath(); break;
        }
    }
    return path;
}

} // namespace QVToolsKit
