#include "QVToolsKit/UI/QVProgressHUDLayout.h"

#include <algorithm>
#include <cmath>

namespace QVToolsKit {

namespace {

double positionOffset(QVProgressHUDPosition position, double height)
{
    switch (position) {
    case QVProgressHUDPosition::top: return height / 5;
    case QVProgressHUDPosition::bottom: return -height / 5;
    case QVProgressHUDPosition::center: break;
    }
    return 0;
}

} // namespace

QVProgressHUDLayout QVProgressHUDLayout::compute(const Input& in)
{
    using Kind = QVProgressHUDMode::Kind;
    const double W = in.host.width;
    const double H = in.host.height;
    const double m = in.margin;
    const double p = in.padding;
    const double maxW = W - 4 * m;

    double iw = in.indicator ? in.indicator->width : 0;
    double ih = in.indicator ? in.indicator->height : 0;
    if (in.mode == Kind::info || in.mode == Kind::success || in.mode == Kind::error || in.mode == Kind::determinate)
        ih = in.spinnerSize;
    const double iW = std::min(maxW, iw);

    double c = ih;
    const bool hasIndicator = ih > 0;
    if (hasIndicator)
        c += p;
    const double tw = in.text.width;
    const double th = in.text.height;
    const bool hasText = th > 0;
    if (hasText)
        c += th;
    const bool both = hasText && hasIndicator;
    if (both)
        c += p;

    const double bh = c + 2 * m;
    const double offset = positionOffset(in.position, H);
    double y = m + std::round((H - bh) * 0.5) + offset;
    if (hasIndicator)
        y += p;
    if (both)
        y += th + p;

    QVProgressHUDLayout out;
    if (in.indicator)
        out.indicatorFrame = Kit::Rect {std::round((W - iW) * 0.5), y, iW, ih};
    if (hasIndicator) {
        y -= 2 * p;
        if (hasText)
            y -= th + p;
    }
    double lw = tw > 0 ? tw + 10 : tw;
    lw = std::min(maxW, lw);
    const double bw = 2 * m + std::max(std::max(iW, 0.0), lw);
    out.labelFrame = {std::round((W - lw) * 0.5), y, lw, th};
    out.size = {bw, bh};
    out.box = {std::round((W - bw) * 0.5), std::round((H - bh) * 0.5) + offset, bw, bh};
    return out;
}

} // namespace QVToolsKit
