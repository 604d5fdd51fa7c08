#pragma once

#include "Platform/Kit/Animation.h"

#include <functional>

namespace Aerlo {

// Runs a closure when an animation stops, with whether it finished.
class AnimationDelegate : public Kit::AnimationDelegate {
public:
    std::function<void(bool finished)> didStopHandler;

    void animationDidStop(Kit::Animation& animation, bool finished) override;
};

} // namespace Aerlo
