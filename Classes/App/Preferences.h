#pragma once

#include "Platform/Kit/WindowController.h"

#include <memory>

namespace Aerlo {

// The settings window: a transparent window, centred when shown. For now it holds the fan-rule editor
// (the scene "SensorsViewController"), so that rules can be written in the running program.
class Preferences : public Kit::WindowController {
public:
    static std::shared_ptr<Preferences> make();

    void showWindow() override;
};

} // namespace Aerlo
