#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/LayerValue.h"
#include "Platform/Kit/TimingFunction.h"

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace Kit {

class Animation;
struct LayerProperties;

class AERLO_KIT_EXPORT AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStart(Animation&) {}
    // On the main run loop after the animation stopped; `finished` is false when it was removed or replaced.
    virtual void animationDidStop(Animation&, bool /*finished*/) {}
};

// Core Animation's timing model: an animation's time is (parent time − beginTime) × speed + timeOffset.
// A zero or non-finite duration or speed, or a non-finite repeat count other than infinity, shows
// the end value at once.
class AERLO_KIT_EXPORT Animation {
public:
    enum class FillMode { removed, forwards, backwards, both };
    static constexpr double infinity = std::numeric_limits<double>::infinity();

    Animation();
    virtual ~Animation();
    virtual std::shared_ptr<Animation> clone() const = 0;

    double beginTime = 0; // 0: the layer's time when added
    double duration = 0.25;
    double speed = 1;
    double timeOffset = 0;
    double repeatCount = 0;
    double repeatDuration = 0;
    bool autoreverses = false;
    FillMode fillMode = FillMode::removed;
    bool isRemovedOnCompletion = true;
    TimingFunction timingFunction;
    std::shared_ptr<AnimationDelegate> delegate;
    std::function<void(bool finished)> completion;

    // The active duration in parent time (infinity when it never ends).
    double activeDuration() const;
    // Whether the timing is usable; when not, the animation jumps to its end.
    bool isDegenerate() const;
    // The animation's eased progress at parent time `t`: nothing while it shows nothing.
    std::optional<double> progress(double t) const;
    bool hasEnded(double t) const;
    // beginTime + activeDuration (infinity when it never ends).
    double endTime() const;
    // The model's value at the animation's key paths changed by the animation at parent time `t`.
    virtual void apply(LayerProperties& presentation, const LayerProperties& model, double t) const = 0;
};

// An animation of one key path.
class AERLO_KIT_EXPORT PropertyAnimation : public Animation {
public:
    std::string keyPath;
    bool isAdditive = false;

protected:
    // Writes `value` (added to the model's value when additive) at the key path.
    void write(LayerProperties& presentation, const LayerProperties& model, const LayerValue& value) const;
};

// From a value to a value; a missing from-value starts at the presentation's value, a missing
// to-value ends at the model's.
class AERLO_KIT_EXPORT BasicAnimation : public PropertyAnimation {
public:
    explicit BasicAnimation(std::string keyPath = {});
    std::shared_ptr<Animation> clone() const override;
    std::optional<LayerValue> fromValue;
    std::optional<LayerValue> toValue;
    std::optional<LayerValue> byValue;
    void apply(LayerProperties& presentation, const LayerProperties& model, double t) const override;
};

// Through values at key times (evenly spaced when none), linearly.
class AERLO_KIT_EXPORT KeyframeAnimation : public PropertyAnimation {
public:
    explicit KeyframeAnimation(std::string keyPath = {});
    std::shared_ptr<Animation> clone() const override;
    std::vector<LayerValue> values;
    std::vector<double> keyTimes;
    void apply(LayerProperties& presentation, const LayerProperties& model, double t) const override;
};

// Runs its animations on its own time; they show only within the group's duration.
class AERLO_KIT_EXPORT AnimationGroup : public Animation {
public:
    AnimationGroup();
    std::shared_ptr<Animation> clone() const override;
    std::vector<std::shared_ptr<Animation>> animations;
    void apply(LayerProperties& presentation, const LayerProperties& model, double t) const override;
};

} // namespace Kit
