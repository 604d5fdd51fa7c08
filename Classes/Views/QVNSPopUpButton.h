#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/PopUpButton.h"

namespace Aerlo {

// A pop-up button with a layer background, shown from the next layer update on.
class QVNSPopUpButton : public Kit::PopUpButton {
public:
    explicit QVNSPopUpButton(const Kit::Rect& frame = {}, bool pullsDown = false) : Kit::PopUpButton(frame, pullsDown)
    {
    }
    explicit QVNSPopUpButton(const Kit::Coder& coder) : Kit::PopUpButton(coder.frame) {}
    void awakeFromNib() {}

    const Kit::Colour& backgroundColor() const { return backgroundColor_; }
    // Only stored: the layer takes it at its next update.
    void setBackgroundColor(Kit::Colour colour) { backgroundColor_ = std::move(colour); }

    bool wantsUpdateLayer() const override { return true; }
    void updateLayer() override;

private:
    Kit::Colour backgroundColor_ = Kit::Colour::clear();
};

} // namespace Aerlo
