#pragma once

#include "Platform/Kit/Rect.h"

namespace Kit {

class Window;

// Changes to a window that animate in the current animation context.
class WindowAnimator {
public:
    explicit WindowAnimator(Window& window) : window_(window) {}

    void setFrame(const Rect& frame, bool display);
    void setAlphaValue(double alpha);

private:
    Window& window_;
};

} // namespace Kit
