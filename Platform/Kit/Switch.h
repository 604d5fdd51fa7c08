#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/KitExport.h"

namespace Kit {

// An on/off switch: a click (press and release inside) flips the state and sends the action.
class AERLO_KIT_EXPORT Switch : public Control {
public:
    explicit Switch(const Rect& frame = {});

    StateValue state() const { return cell().state(); }
    void setState(StateValue state);
    bool performClick() override;

    void draw(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseUp(const Event& event) override;
    void mouseTrackingCancelled() override;

    bool acceptsFirstResponder() const override { return isEnabled(); }
    Rect focusRingMaskBounds() const override { return track(); }
    double focusRingCornerRadius() const override { return track().height() / 2; }
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::switch_; }

private:
    Rect track() const;

    bool pressed_ = false;
};

} // namespace Kit
