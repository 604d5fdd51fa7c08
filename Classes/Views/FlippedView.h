#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/View.h"

namespace Aerlo {

// A view whose y axis grows downward.
class FlippedView : public Kit::View {
public:
    explicit FlippedView(const Kit::Rect& frame = {}) : Kit::View(frame) {}
    explicit FlippedView(const Kit::Coder& coder) : Kit::View(coder.frame) {}
    void awakeFromNib() {}

    bool isFlipped() const override { return true; }
};

} // namespace Aerlo
