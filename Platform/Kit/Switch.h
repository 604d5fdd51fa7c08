#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Control.h"

namespace Kit {

// An on/off switch: a click (press and release inside) flips the state and sends the action.
class AERLO_KIT_EXPORT Switch : public Control {
public:
    explicit Switch(const Rect& frame = {});

    StateValue state() const { return cell().state(); }
    void setState(StateValue state);
    void performClick();

    void draw(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseUp(const Event& event) override;
    void mouseTrackingCancelled() override;

private:
    bool pressed_ = false;
};

} // namespace Kit
