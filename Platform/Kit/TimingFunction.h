#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

// A cubic timing curve from (0, 0) to (1, 1) through two control points.
class AERLO_KIT_EXPORT TimingFunction {
public:
    enum class Name { linear, easeIn, easeOut, easeInEaseOut, default_ };

    constexpr TimingFunction() = default; // linear
    constexpr TimingFunction(double c1x, double c1y, double c2x, double c2y) : x1_(c1x), y1_(c1y), x2_(c2x), y2_(c2y) {}
    static TimingFunction named(Name name);

    // The eased fraction for a time fraction in 0…1.
    double apply(double fraction) const;
    friend bool operator==(const TimingFunction&, const TimingFunction&) = default;

private:
    double x1_ = 0, y1_ = 0, x2_ = 1, y2_ = 1;
};

} // namespace Kit
