#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/LayerValue.h"
#include "Platform/Kit/TimingFunction.h"

#include <functional>
#include <memory>
#include <string>

namespace Kit {

// The timing of animator changes: a group's, or outside any group the default one (0.25 s, linear).
// Animator changes move the real values over media time (the main run loop's clock), so reading a
// value mid-animation gives the in-flight one.
class AERLO_KIT_EXPORT AnimationContext {
public:
    static constexpr double defaultDuration = 0.25;

    static AnimationContext& current();
    // Runs `changes` in a new context (its duration defaults to 0.25 s); `completion` runs once, on
    // the main run loop, when the group's duration has passed and its changes are at their ends.
    static void runAnimationGroup(const std::function<void(AnimationContext&)>& changes,
                                  std::function<void()> completion = {});

    double duration() const { return duration_; }
    void setDuration(double duration) { duration_ = duration; }
    TimingFunction timingFunction() const { return timing_; }
    void setTimingFunction(TimingFunction timing) { timing_ = timing; }

    // Moves one property of one target from `from` to `to` in the current context, replacing a move of
    // the same target and property. `apply` sets a value (false when the target is gone); `atEnd`
    // runs after the last value. A zero or non-finite duration applies the end at once.
    static void animate(const void* target, const std::string& property, const LayerValue& from, const LayerValue& to,
                        std::function<bool(const LayerValue&)> apply, std::function<void()> atEnd = {});
    // Whether a move is under way (tests).
    static bool isAnimating();

private:
    AnimationContext() = default;
    double duration_ = defaultDuration;
    TimingFunction timing_;
    double start_ = 0;

    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Kit
