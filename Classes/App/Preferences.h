#pragma once

#include "Platform/Kit/WindowController.h"

#include <memory>

namespace Aerlo {

class InitialViewController;

// The settings window: a transparent window holding the sidebar and its panes, centred the first time it
// is shown and brought to the front whenever it is asked for. Closing it takes the application out of
// the Dock again.
class Preferences : public Kit::WindowController {
public:
    static std::shared_ptr<Preferences> make();

    InitialViewController* initialViewController() const;

    void showWindow() override;
    void close() override;
    void windowWillClose(Kit::Window& window) override;

private:
    bool centred_ = false;
    bool closing_ = false;
};

} // namespace Aerlo
