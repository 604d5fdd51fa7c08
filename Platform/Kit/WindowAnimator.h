#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

namespace Kit {

class Window;

// Changes to a window that animate in the current animation context.
class AERLO_KIT_EXPORT WindowAnimator {
public:
    explicit WindowAnimator(Window& window) : window_(window) {}

    void setFrame(const Rect& frame, bool display);
    void setAlphaValue(double alpha);

private:
    Window& window_;
};

} // namespace Kit
