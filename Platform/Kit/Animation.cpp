#include "Platform/Kit/Animation.h"

#include "Platform/Kit/Layer.h"

#include <cmath>

namespace Kit {

Animation::Animation() = default;
Animation::~Animation() = default;

bool Animation::isDegenerate() const
{
    return !(duration > 0) || !std::isfinite(duration) || !(speed != 0) || !std::isfinite(speed)
           || std::isnan(repeatCount) || repeatCount < 0 || std::isnan(repeatDuration) || repeatDuration < 0
           || !std::isfinite(beginTime) || !std::isfinite(timeOffset);
}

double Animation::activeDuration() const
{
    if (isDegenerate())
        return 0;
    const double cycle = autoreverses ? 2 * duration : duration;
    double local = cycle;
    if (repeatDuration > 0)
        local = repeatDuration;
    else if (repeatCount > 0)
        local = repeatCount * cycle;
    return local / std::fabs(speed);
}

double Animation::endTime() const { return beginTime + activeDuration(); }

bool Animation::hasEnded(double t) const
{
    const double active = activeDuration();
    // The same sum as the scheduled end time, so that the end timer sees it ended.
    return std::isfinite(active) && t >= endTime();
}

std::optional<double> Animation::progress(double t) const
{
    const bool fillsForwards = fillMode == FillMode::forwards || fillMode == FillMode::both;
    const bool fillsBackwards = fillMode == FillMode::backwards || fillMode == FillMode::both;
    const double endFraction = autoreverses ? timingFunction.apply(0) : timingFunction.apply(1);
    if (isDegenerate())
        return fillsForwards ? std::optional<double>(endFraction) : std::nullopt;
    if (!std::isfinite(t))
        return std::nullopt;
    if (t < beginTime)
        return fillsBackwards ? std::optional<double>(timingFunction.apply(0)) : std::nullopt;
    if (hasEnded(t)) {
        if (!fillsForwards)
            return std::nullopt;
        // The fraction where the active duration stops (a partial last repeat stops inside).
        const double cycle = autoreverses ? 2 * duration : duration;
        const double total = activeDuration() * std::fabs(speed) + timeOffset;
        double phase = std::fmod(total, cycle);
        if (phase == 0 && total > 0)
            return endFraction;
        if (autoreverses && phase > duration)
            phase = cycle - phase;
        return timingFunction.apply(phase / duration);
    }
    const double local = (t - beginTime) * std::fabs(speed) + timeOffset;
    const double cycle = autoreverses ? 2 * duration : duration;
    double phase = std::fmod(local, cycle);
    if (phase < 0)
        phase += cycle;
    if (autoreverses && phase > duration)
        phase = cycle - phase;
    return timingFunction.apply(phase / duration);
}

void PropertyAnimation::write(LayerProperties& presentation, const LayerProperties&, const LayerValue& value) const
{
    if (isAdditive) {
        if (auto base = presentation.value(keyPath))
            presentation.setValue(keyPath, LayerValues::add(*base, value));
        return;
    }
    presentation.setValue(keyPath, value);
}

BasicAnimation::BasicAnimation(std::string path) { keyPath = std::move(path); }

std::shared_ptr<Animation> BasicAnimation::clone() const { return std::make_shared<BasicAnimation>(*this); }

void BasicAnimation::apply(LayerProperties& presentation, const LayerProperties& model, double t) const
{
    const auto fraction = progress(t);
    if (!fraction)
        return;
    const auto current = presentation.value(keyPath);
    const auto modelValue = model.value(keyPath);
    if (!current || !modelValue)
        return;
    // Without a from-value an animation starts at the current value (nothing added when additive).
    LayerValue from = *current;
    if (isAdditive && LayerValues::number(*current))
        from = 0.0;
    if (fromValue)
        from = *fromValue;
    else if (toValue && byValue) {
        if (auto to = LayerValues::number(*toValue); to && LayerValues::number(*byValue))
            from = *to - *LayerValues::number(*byValue);
    }
    LayerValue to = *modelValue;
    if (toValue)
        to = *toValue;
    else if (byValue)
        to = LayerValues::add(from, *byValue);
    write(presentation, model, LayerValues::interpolate(from, to, *fraction));
}

KeyframeAnimation::KeyframeAnimation(std::string path) { keyPath = std::move(path); }

std::shared_ptr<Animation> KeyframeAnimation::clone() const { return std::make_shared<KeyframeAnimation>(*this); }

void KeyframeAnimation::apply(LayerProperties& presentation, const LayerProperties& model, double t) const
{
    const auto fraction = progress(t);
    if (!fraction || values.empty())
        return;
    const std::size_t n = values.size();
    if (n == 1) {
        write(presentation, model, values.front());
        return;
    }
    auto timeOf = [&](std::size_t i) {
        return keyTimes.size() == n ? keyTimes[i] : static_cast<double>(i) / static_cast<double>(n - 1);
    };
    const double f = *fraction;
    if (f <= timeOf(0)) {
        write(presentation, model, values.front());
        return;
    }
    for (std::size_t i = 1; i < n; ++i) {
        const double t0 = timeOf(i - 1);
        const double t1 = timeOf(i);
        if (f <= t1) {
            const double local = t1 > t0 ? (f - t0) / (t1 - t0) : 1.0;
            write(presentation, model, LayerValues::interpolate(values[i - 1], values[i], local));
            return;
        }
    }
    write(presentation, model, values.back());
}

AnimationGroup::AnimationGroup() = default;

std::shared_ptr<Animation> AnimationGroup::clone() const
{
    auto copy = std::make_shared<AnimationGroup>(*this);
    for (auto& a : copy->animations)
        a = a ? a->clone() : nullptr;
    return copy;
}

void AnimationGroup::apply(LayerProperties& presentation, const LayerProperties& model, double t) const
{
    const auto fraction = progress(t);
    if (!fraction)
        return;
    const double groupTime = isDegenerate() ? 0 : *fraction * duration;
    for (const auto& child : animations) {
        if (!child)
            continue;
        // Children show only within the group's own duration.
        if (!isDegenerate() && child->beginTime > duration)
            continue;
        child->apply(presentation, model, isDegenerate() ? child->beginTime + child->activeDuration() : groupTime);
    }
}

} // namespace Kit
