#include "Platform/Kit/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace Kit {

TimingFunction TimingFunction::named(Name name)
{
    switch (name) {
    case Name::linear:
        return {};
    case Name::easeIn:
        return {0.42, 0, 1, 1};
    case Name::easeOut:
        return {0, 0, 0.58, 1};
    case Name::easeInEaseOut:
        return {0.42, 0, 0.58, 1};
    case Name::default_:
        return {0.25, 0.1, 0.25, 1};
    }
    return {};
}

double TimingFunction::apply(double t) const
{
    t = std::clamp(t, 0.0, 1.0);
    if (x1_ == y1_ && x2_ == y2_)
        return t;
    auto bezier = [](double p1, double p2, double s) {
        const double u = 1 - s;
        return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
    };
    // x(s) is monotonic on 0…1: bisect for s with x(s) = t.
    double lo = 0, hi = 1, s = t;
    for (int i = 0; i < 60; ++i) {
        s = (lo + hi) / 2;
        if (bezier(x1_, x2_, s) < t)
            lo = s;
        else
            hi = s;
    }
    return bezier(y1_, y2_, s);
}

} // namespace Kit
