#pragma once

namespace Aerlo {

// What the delegate asks of the fan window's controller beyond showing and closing it.
class FanSpeedWindow {
public:
    virtual ~FanSpeedWindow() = default;
    // Where no status item shows: the window stays open when another window becomes key.
    virtual void setStandsAlone() = 0;
};

} // namespace Aerlo
