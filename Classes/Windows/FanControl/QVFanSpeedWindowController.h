#pragma once

#include "Classes/App/FanSpeedWindow.h"
#include "Platform/Kit/WindowController.h"

#include <memory>

namespace Aerlo {

// The fan window's controller: a transparent window, closed as soon as it stops being the key window
// (a click anywhere else). Where no status item shows it stands alone: it stays open when another
// window becomes key (its "…" menu still quits).
class QVFanSpeedWindowController : public Kit::WindowController, public FanSpeedWindow {
public:
    // The scenes of the storyboard "FanSpeedController": its initial controller (the two-fan panel)
    // and "SingleFanWindowController" (the one-fan panel).
    static void registerScenes();

    QVFanSpeedWindowController();

    void windowDidLoad();
    void windowDidResignKey(Kit::Window& window) override;
    void setStandsAlone() override;

private:
    bool standsAlone_ = false;
};

} // namespace Aerlo
