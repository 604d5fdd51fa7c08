#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/Slider.h"

#include <functional>
#include <memory>

namespace Aerlo {

// The fan slider: reports each change through one closure, steps with the wheel, and ignores positions
// set by code while the user drags it.
class QVSlider : public Kit::Slider {
public:
    std::function<void(double)> valueChangedHandler;

    // Made in code: a fan-slider cell, no target.
    explicit QVSlider(const Kit::Rect& frame);
    // Made from a storyboard: the archived cell until awakeFromNib.
    explicit QVSlider(const Kit::Coder& coder);
    // A new fan-slider cell with the range 0…1, the slider its own target.
    void awakeFromNib();

    void valueChangedWithSlider(Kit::Control& sender);
    void setDoubleValue(double value) override;
    void scrollWheel(const Kit::Event& event) override;
};

} // namespace Aerlo
