#pragma once

#include "Platform/Kit/WindowController.h"

#include <memory>

namespace Aerlo {

// The fan window's controller: a transparent window, closed as soon as it stops being the key window
// (a click anywhere else).
class QVFanSpeedWindowController : public Kit::WindowController {
public:
    // The scenes of the storyboard "FanSpeedController": its initial controller (the two-fan panel)
    // and "SingleFanWindowController" (the one-fan panel).
    static void registerScenes();

    QVFanSpeedWindowController();

    void windowDidLoad();
    void windowDidResignKey(Kit::Window& window) override;
};

} // namespace Aerlo
