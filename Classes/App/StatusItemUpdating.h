#pragma once

#include <string>

namespace Aerlo {

// What the control tick asks of the status item.
class StatusItemUpdating {
public:
    virtual ~StatusItemUpdating() = default;

    // The per-tick refresh with the two fan speeds in whole RPM.
    virtual void updateStatusBar(int leftSpeed, int rightSpeed) = 0;
    // Without a fan count: both fan texts hidden and the item arranged without fans.
    virtual void hideFanSpeedTexts() = 0;
    virtual void setStatusItemWidth(double width) = 0;
    // The temperature text shown with `text`; `oneFanLayout` applies the one-fan layout at once.
    virtual void showTemperatureText(const std::string& text, bool oneFanLayout) = 0;
    virtual void hideTemperatureText() = 0;
    // The text shown when the pointer rests on the item.
    virtual void setToolTip(const std::string& text) { (void)text; }
};

} // namespace Aerlo
