#include "Platform/Kit/WindowAnimator.h"

#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/Window.h"

#include <algorithm>

namespace Kit {

namespace {

// The window while it exists.
std::function<bool(const LayerValue&)> applying(Window* window, std::function<void(Window&, const LayerValue&)> set)
{
    return [window, set](const LayerValue& value) {
        const auto windows = Window::windows();
        if (std::find(windows.begin(), windows.end(), window) == windows.end())
            return false;
        set(*window, value);
        return true;
    };
}

} // namespace

void WindowAnimator::setFrame(const Rect& frame, bool display)
{
    AnimationContext::animate(
        &window_, "frame", window_.frame(), frame,
        applying(&window_, [display](Window& w, const LayerValue& v) { w.setFrame(std::get<Rect>(v), display); }));
}

void WindowAnimator::setAlphaValue(double alpha)
{
    AnimationContext::animate(
        &window_, "alphaValue", window_.alphaValue(), alpha,
        applying(&window_, [](Window& w, const LayerValue& v) { w.setAlphaValue(std::get<double>(v)); }));
}

} // namespace Kit
