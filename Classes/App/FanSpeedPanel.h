#pragma once

namespace Aerlo {

// What the fan window's set-up asks of its panel controller: which of the two panels it is.
class FanSpeedPanel {
public:
    virtual ~FanSpeedPanel() = default;
    virtual bool isTwoFanPanel() const = 0;
};

} // namespace Aerlo
