#pragma once

#include <functional>

namespace Kit {

// A group of animated changes: the changes are made at once (the animators' end values) and the
// completion runs on the main queue once the group's duration has passed on the run loop's clock.
class AnimationContext {
public:
    static void runAnimationGroup(double duration, const std::function<void()>& changes,
        std::function<void()> completion = {});
};

} // namespace Kit
