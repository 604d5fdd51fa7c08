#include "Platform/Kit/AnimationClock.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Layer.h"

#include <cmath>
#include <vector>

namespace Kit {

namespace {
Foundation::SharedInstance<AnimationClock>& instance()
{
    static Foundation::SharedInstance<AnimationClock> i;
    return i;
}

std::optional<double> drawingTime;
} // namespace

AnimationClock& AnimationClock::shared() { return instance().get(); }

double AnimationClock::mediaTime() { return drawingTime ? *drawingTime : Foundation::RunLoop::main().clock().now(); }

AnimationClock::DrawingTime::DrawingTime(double time) : previous_(drawingTime) { drawingTime = time; }

AnimationClock::DrawingTime::~DrawingTime() { drawingTime = previous_; }

void AnimationClock::layerChanged(Layer& layer)
{
    if (layer.animations_.empty())
        layers_.erase(&layer);
    else
        layers_.insert(&layer);
    update();
}

void AnimationClock::forget(Layer& layer)
{
    if (layers_.erase(&layer))
        update();
}

void AnimationClock::update()
{
    if (updating_)
        return;
    updating_ = true;
    bool animating = false;
    double nextEnd = Animation::infinity;
    for (Layer* layer : layers_) {
        if (layer->hasRunningAnimations() && layer->isOnScreen())
            animating = true;
        for (const auto& e : layer->animations_) {
            if (e.stopReported)
                continue;
            const double end = e.animation->endTime();
            if (std::isfinite(end))
                nextEnd = std::min(nextEnd, layer->mediaTimeOf(end));
        }
    }
    auto& loop = Foundation::RunLoop::main();
    if (animating && !ticker_) {
        ticker_ = std::make_shared<Foundation::Timer>(frameInterval, true, [this](Foundation::Timer&) { tick(); });
        loop.add(ticker_, Foundation::RunLoop::Mode::common);
    } else if (!animating && ticker_) {
        ticker_->invalidate();
        ticker_.reset();
    }
    if (std::isfinite(nextEnd)) {
        if (!endTimer_ || !endTimer_->isValid() || endTime_ != nextEnd) {
            if (endTimer_)
                endTimer_->invalidate();
            endTime_ = nextEnd;
            endTimer_ = std::make_shared<Foundation::Timer>(std::max(0.0, nextEnd - mediaTime()), false,
                                                            [this](Foundation::Timer&) { finishEnded(); });
            loop.add(endTimer_, Foundation::RunLoop::Mode::common);
            endTimer_->setFireDate(nextEnd);
        }
    } else if (endTimer_) {
        endTimer_->invalidate();
        endTimer_.reset();
    }
    updating_ = false;
}

void AnimationClock::tick()
{
    ++ticks_;
    std::vector<Layer*> layers(layers_.begin(), layers_.end());
    for (Layer* layer : layers)
        if (layers_.count(layer) && layer->isOnScreen())
            layer->setNeedsDisplay();
    update();
}

void AnimationClock::finishEnded()
{
    endTimer_.reset();
    std::vector<Layer*> layers(layers_.begin(), layers_.end());
    for (Layer* layer : layers) {
        if (!layers_.count(layer))
            continue;
        layer->finishEndedAnimations();
        if (layers_.count(layer) && layer->animations_.empty())
            layers_.erase(layer);
    }
    update();
}

void AnimationClock::resetForTesting()
{
    if (ticker_)
        ticker_->invalidate();
    if (endTimer_)
        endTimer_->invalidate();
    ticker_.reset();
    endTimer_.reset();
    layers_.clear();
    ticks_ = 0;
}

} // namespace Kit
