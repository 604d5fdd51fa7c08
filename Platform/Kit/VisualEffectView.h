#pragma once

#include "Platform/Kit/View.h"

namespace Kit {

// A view behind translucent material. Here a plain view that keeps its material, blending mode and state.
class VisualEffectView : public View {
public:
    enum class Material { titlebar = 3, selection = 4, menu = 5, popover = 6, sidebar = 7, headerView = 10, sheet = 11, windowBackground = 12, hudWindow = 13, fullScreenUI = 15, toolTip = 17, contentBackground = 18, underWindowBackground = 21, underPageBackground = 22 };
    enum class State { followsWindowActiveState = 0, active = 1, inactive = 2 };

    explicit VisualEffectView(const Rect& frame = {}) : View(frame) {}

    Material material() const { return material_; }
    void setMaterial(Material material) { material_ = material; }
    State state() const { return state_; }
    void setState(State state) { state_ = state; }

private:
    Material material_ = Material::windowBackground;
    State state_ = State::followsWindowActiveState;
};

} // namespace Kit
