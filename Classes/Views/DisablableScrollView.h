#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/ScrollView.h"

namespace Aerlo {

// A scroll view that the wheel and the trackpad do not move (nor any scroll view around it); code still
// scrolls it.
class DisablableScrollView : public Kit::ScrollView {
public:
    explicit DisablableScrollView(const Kit::Rect& frame = {}) : Kit::ScrollView(frame) {}
    explicit DisablableScrollView(const Kit::Coder& coder) : Kit::ScrollView(coder.frame) {}
    void awakeFromNib() {}

    void scrollWheel(const Kit::Event&) override {}
};

} // namespace Aerlo
