#include "QVToolsKit/UI/ViewAnimations.h"

#include "Platform/Kit/Animation.h"
#include "Platform/Kit/AnimationClock.h"

#include <cmath>
#include <memory>

namespace QVToolsKit {

namespace {

constexpr double fullTurn = 2 * M_PI;

void centreAnchor(Kit::View& view)
{
    auto& layer = view.layer();
    layer.setAnchorPoint({0.5, 0.5});
    const Kit::Rect f = view.frame();
    layer.setPosition({f.x() + f.width() * 0.5, f.y() + f.height() * 0.5});
}

void fade(Kit::View& view, double duration, bool in)
{
    auto& layer = view.layer();
    layer.removeAnimation(fadeInAnimationKey);
    layer.removeAnimation(fadeOutAnimationKey);
    auto animation = std::make_shared<Kit::BasicAnimation>("opacity");
    animation->fromValue = in ? 0.0 : 1.0;
    animation->toValue = in ? 1.0 : 0.0;
    animation->duration = duration;
    layer.setOpacity(in ? 1 : 0);
    layer.addAnimation(animation, in ? fadeInAnimationKey : fadeOutAnimationKey);
}

} // namespace

void rotate(Kit::View& view, double duration)
{
    auto& layer = view.layer();
    centreAnchor(view);
    auto animation = std::make_shared<Kit::BasicAnimation>("transform.rotation");
    animation->toValue = fullTurn;
    animation->duration = duration;
    animation->repeatCount = Kit::Animation::infinity;
    layer.removeAllAnimations();
    layer.addAnimation(animation, rotationAnimationKey);
}

void rotateUnlessRunning(Kit::View& view, double duration)
{
    const auto running = view.layer().animation(rotationAnimationKey);
    if (running && running->duration == duration)
        return;
    rotate(view, duration);
}

void pauseAnimation(Kit::View& view)
{
    auto& layer = view.layer();
    const double pausedTime = layer.convertTime(Kit::AnimationClock::mediaTime(), nullptr);
    layer.setSpeed(0);
    layer.setTimeOffset(pausedTime);
}

void resumeAnimation(Kit::View& view)
{
    auto& layer = view.layer();
    const double pausedTime = layer.timeOffset();
    layer.setSpeed(1);
    layer.setTimeOffset(0);
    layer.setBeginTime(0);
    layer.setBeginTime(layer.convertTime(Kit::AnimationClock::mediaTime(), nullptr) - pausedTime);
}

void setAnchorPoint(Kit::View& view, Kit::Point anchor)
{
    auto& layer = view.layer();
    const Kit::Rect b = layer.bounds();
    const Kit::AffineTransform t = layer.affineTransform();
    const Kit::Point newPoint = t.apply({b.width() * anchor.x, b.height() * anchor.y});
    const Kit::Point oldPoint = t.apply({b.width() * layer.anchorPoint().x, b.height() * layer.anchorPoint().y});
    const Kit::Point position = layer.position();
    layer.setPosition({position.x - oldPoint.x + newPoint.x, position.y - oldPoint.y + newPoint.y});
    layer.setAnchorPoint(anchor);
}

void startAnimation(Kit::View& view, bool clockwise)
{
    view.setWantsLayer(true);
    auto& layer = view.layer();
    const Kit::Rect frame = layer.frame();
    layer.setAnchorPoint({0.5, 0.5});
    layer.setFrame(frame);
    auto animation = std::make_shared<Kit::BasicAnimation>("transform.rotation.z");
    animation->fromValue = clockwise ? fullTurn : 0.0;
    animation->toValue = clockwise ? 0.0 : fullTurn;
    animation->duration = 1.0;
    animation->isAdditive = true;
    animation->repeatDuration = Kit::Animation::infinity;
    layer.addAnimation(animation, rotateAnimationKey);
}

void rotateAnimation(Kit::View& view, bool clockwise, double angle, double duration)
{
    auto& layer = view.layer();
    layer.removeAnimation(rotateAnimationKey);
    const auto value = layer.value("transform.rotation.z");
    const double current = value ? Kit::LayerValues::number(*value).value_or(0) : 0;
    layer.setAnchorPoint({0.5, 0.5});
    const double target = clockwise ? current + angle : current - angle;
    const Kit::Rect f = view.frame();
    layer.setPosition({f.midX(), f.midY()});
    auto animation = std::make_shared<Kit::BasicAnimation>("transform.rotation.z");
    animation->fromValue = current;
    animation->toValue = target;
    animation->duration = duration;
    animation->fillMode = Kit::Animation::FillMode::forwards;
    animation->isRemovedOnCompletion = false;
    layer.addAnimation(animation, rotateAnimationKey);
    layer.setValue("transform.rotation.z", target);
}

void stopAnimation(Kit::View& view) { view.layer().removeAnimation(rotateAnimationKey); }

void toggleFadeAnimation(Kit::View& view, double duration) { fade(view, duration, view.layer().opacity() == 0); }

void shake(Kit::View& view, double duration)
{
    auto keyframes = std::make_shared<Kit::KeyframeAnimation>("transform.translation.x");
    keyframes->timingFunction = Kit::TimingFunction::named(Kit::TimingFunction::Name::linear);
    keyframes->values = {-5.0, 5.0, -5.0, 5.0, -3.0, 3.0, -2.0, 2.0, 0.0};
    // Its own duration is the group's: left unset it would stop after the default 0.25 s.
    keyframes->duration = duration;
    auto group = std::make_shared<Kit::AnimationGroup>();
    group->animations = {keyframes};
    group->duration = duration;
    view.layer().addAnimation(group, shakeAnimationKey);
}

void setCornerRadius(Kit::View& view, unsigned corners, double radius, const Kit::Colour& backgroundColor)
{
    view.setWantsLayer(true);
    auto& layer = view.layer();
    layer.setMasksToBounds(true);
    layer.setBackgroundColor(backgroundColor);
    layer.setMaskedCorners(corners);
    layer.setCornerRadius(radius);
    layer.setMasksToBounds(true);
}

void setBackgroundColor(Kit::View& view, const Kit::Colour& colour)
{
    view.setWantsLayer(true);
    view.layer().setBackgroundColor(colour);
}

void removeAllSubviews(Kit::View& view)
{
    const auto subviews = view.subviews();
    for (const auto& subview : subviews)
        subview->removeFromSuperview();
}

} // namespace QVToolsKit
