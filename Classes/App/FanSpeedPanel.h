#pragma once

namespace Aerlo {

// What the fan window's set-up asks of its panel controller: which of the two panels it is; and what
// the delegate tells it when the sensors cannot be read, or when the mode it shows must be applied again.
class FanSpeedPanel {
public:
    virtual ~FanSpeedPanel() = default;
    virtual bool isTwoFanPanel() const = 0;
    // While true the panel shows no speed ("-") and says the sensors cannot be read.
    virtual void showSensorsUnreadable(bool unreadable) { (void)unreadable; }
    // The mode the panel shows, applied again (after the helper or the SMC came back).
    virtual void reapplyShownMode() {}
    // The helper is gone (every fan automatic): system shown, the stored choice kept for the next start.
    virtual void showSystemModeInForce() {}
    // The helper is gone but fans still run forced: a forced mode shown (maximum as shown, else manual),
    // nothing sent, the stored choice kept.
    virtual void showForcedModeInForce() {}
};

} // namespace Aerlo
