#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Window.h"

namespace Kit {

// A window for auxiliary content: it hides when the application deactivates, may float above normal
// windows, and with the non-activating style shows and takes key input without activating the
// application.
class AERLO_KIT_EXPORT Panel : public Window {
public:
    Panel(const Rect& contentRect, unsigned styleMask, int backing = 2, bool defer = true);

    bool isFloatingPanel() const { return level() == Level::floating; }
    void setFloatingPanel(bool floating);
    bool isNonactivating() const { return (styleMask() & nonactivatingPanel) != 0; }

protected:
    bool showsWithoutActivating() const override { return isNonactivating(); }

private:
};

} // namespace Kit
