#include "Platform/Kit/Layer.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Transaction.h"
#include "Platform/Kit/View.h"

#include <algorithm>
#include <cmath>

namespace Kit {

Layer::Layer() = default;

Layer::~Layer()
{
    AnimationClock::shared().forget(*this);
    for (auto& sub : sublayers_)
        sub->superlayer_ = nullptr;
    if (mask_)
        mask_->maskHost_ = nullptr;
}

void Layer::setModel(std::string_view key, const std::function<void(LayerProperties&)>& change)
{
    // The actions table: a change of a listed key animates from the value shown before.
    const auto action = key.empty() || Transaction::disableActions() ? actions_.end() : actions_.find(std::string(key));
    std::optional<LayerValue> before;
    if (action != actions_.end() && action->second)
        before = presentation().value(key);
    const Rect oldBounds = model_.bounds;
    change(model_);
    changed();
    if (!(model_.bounds == oldBounds))
        boundsDidChange();
    if (!before)
        return;
    auto animation = action->second->clone();
    if (auto* basic = dynamic_cast<BasicAnimation*>(animation.get())) {
        if (basic->keyPath.empty())
            basic->keyPath = std::string(key);
        if (!basic->fromValue && !basic->toValue && !basic->byValue)
            basic->fromValue = before;
    }
    addAnimation(animation, std::string(key));
}

void Layer::changed()
{
    if (View* v = hostView())
        v->layerDidChange();
}

View* Layer::hostView() const
{
    const Layer* l = this;
    while (l) {
        if (l->view_)
            return l->view_;
        l = l->superlayer_ ? l->superlayer_ : l->maskHost_;
    }
    return nullptr;
}

bool Layer::isOnScreen() const
{
    const View* v = hostView();
    return v && v->isOnScreen();
}

void Layer::setNeedsDisplay() { changed(); }

void Layer::setBounds(const Rect& b)
{
    setModel("bounds", [&](auto& m) { m.bounds = b; });
}
void Layer::setPosition(Point p)
{
    setModel("position", [&](auto& m) { m.position = p; });
}
void Layer::setAnchorPoint(Point a)
{
    setModel("anchorPoint", [&](auto& m) { m.anchorPoint = a; });
}

void Layer::setFrame(const Rect& f)
{
    setModel("", [&](LayerProperties& m) {
        m.bounds.size = f.size;
        m.position = {f.x() + m.anchorPoint.x * f.width(), f.y() + m.anchorPoint.y * f.height()};
    });
}

void Layer::setAffineTransform(const AffineTransform& t)
{
    setModel("transform", [&](auto& m) { m.transform = t; });
}
void Layer::setOpacity(double o)
{
    setModel("opacity", [&](auto& m) { m.opacity = o; });
}
void Layer::setHidden(bool h)
{
    setModel("hidden", [&](auto& m) { m.hidden = h; });
}
void Layer::setBackgroundColor(std::optional<Colour> c)
{
    setModel("backgroundColor", [&](auto& m) { m.backgroundColor = c; });
}
void Layer::setCornerRadius(double r)
{
    setModel("cornerRadius", [&](auto& m) { m.cornerRadius = r; });
}
void Layer::setMaskedCorners(unsigned c)
{
    setModel("maskedCorners", [&](auto& m) { m.maskedCorners = c & allCorners; });
}
void Layer::setCornerCurve(CornerCurve c)
{
    setModel("cornerCurve", [&](auto& m) { m.cornerCurve = c; });
}
void Layer::setMasksToBounds(bool b)
{
    setModel("masksToBounds", [&](auto& m) { m.masksToBounds = b; });
}
void Layer::setBorderColor(std::optional<Colour> c)
{
    setModel("borderColor", [&](auto& m) { m.borderColor = c; });
}
void Layer::setBorderWidth(double w)
{
    setModel("borderWidth", [&](auto& m) { m.borderWidth = w; });
}
void Layer::setShadowColor(std::optional<Colour> c)
{
    setModel("shadowColor", [&](auto& m) { m.shadowColor = c; });
}
void Layer::setShadowOpacity(double o)
{
    setModel("shadowOpacity", [&](auto& m) { m.shadowOpacity = o; });
}
void Layer::setShadowRadius(double r)
{
    setModel("shadowRadius", [&](auto& m) { m.shadowRadius = r; });
}
void Layer::setShadowOffset(Size o)
{
    setModel("shadowOffset", [&](auto& m) { m.shadowOffset = o; });
}

void Layer::setContents(std::optional<Image> image)
{
    contents_ = std::move(image);
    changed();
}

void Layer::setMask(std::shared_ptr<Layer> mask)
{
    if (mask_ == mask)
        return;
    if (mask_)
        mask_->maskHost_ = nullptr;
    mask_ = std::move(mask);
    if (mask_) {
        mask_->removeFromSuperlayer();
        mask_->maskHost_ = this;
    }
    changed();
}

void Layer::addSublayer(std::shared_ptr<Layer> layer) { insertSublayer(std::move(layer), sublayers_.size()); }

void Layer::insertSublayer(std::shared_ptr<Layer> layer, std::size_t index)
{
    if (!layer || layer.get() == this)
        return;
    auto keep = layer;
    layer->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), layer);
    layer->superlayer_ = this;
    changed();
    if (!layer->animations_.empty())
        AnimationClock::shared().update();
}

void Layer::removeFromSuperlayer()
{
    Layer* parent = superlayer_;
    if (!parent)
        return;
    auto self = shared_from_this();
    std::erase(parent->sublayers_, self);
    superlayer_ = nullptr;
    parent->changed();
}

std::optional<LayerValue> Layer::value(std::string_view keyPath) const { return model_.value(keyPath); }

void Layer::setValue(std::string_view keyPath, const LayerValue& value)
{
    setModel(keyPath, [&](LayerProperties& m) { m.setValue(keyPath, value); });
}

// Animations.

void Layer::addAnimation(std::shared_ptr<Animation> animation, const std::string& key)
{
    if (!animation)
        return;
    auto copy = animation->clone();
    if (copy->beginTime == 0)
        copy->beginTime = localTime();
    std::string name = key;
    auto existing =
        std::find_if(animations_.begin(), animations_.end(), [&](auto& e) { return !key.empty() && e.key == key; });
    if (existing != animations_.end()) {
        AnimationEntry old = std::move(*existing);
        animations_.erase(existing);
        stopEntry(old, false);
    }
    animations_.push_back({name, copy, false});
    if (copy->delegate)
        copy->delegate->animationDidStart(*copy);
    animationsChanged();
}

void Layer::removeAnimation(const std::string& key)
{
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](auto& e) { return e.key == key; });
    if (it == animations_.end())
        return;
    AnimationEntry old = std::move(*it);
    animations_.erase(it);
    stopEntry(old, false);
    animationsChanged();
}

void Layer::removeAllAnimations()
{
    auto old = std::move(animations_);
    animations_.clear();
    for (auto& entry : old)
        stopEntry(entry, false);
    animationsChanged();
}

void Layer::stopEntry(AnimationEntry& entry, bool finished)
{
    if (entry.stopReported)
        return;
    entry.stopReported = true;
    auto animation = entry.animation;
    if (!animation->delegate && !animation->completion)
        return;
    // Told on the main run loop's next pass, as the platform does: never inside the call that removed it.
    Foundation::RunLoop::main().perform([animation, finished] {
        if (animation->delegate)
            animation->delegate->animationDidStop(*animation, finished);
        if (animation->completion)
            animation->completion(finished);
    });
}

std::shared_ptr<Animation> Layer::animation(const std::string& key) const
{
    for (const auto& e : animations_)
        if (e.key == key)
            return e.animation;
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const
{
    std::vector<std::string> keys;
    for (const auto& e : animations_)
        keys.push_back(e.key);
    return keys;
}

void Layer::setSpeed(double s)
{
    speed_ = s;
    animationsChanged();
}

void Layer::setTimeOffset(double o)
{
    timeOffset_ = o;
    animationsChanged();
}

void Layer::setBeginTime(double t)
{
    beginTime_ = t;
    animationsChanged();
}

const Layer* Layer::timeParent() const
{
    if (superlayer_)
        return superlayer_;
    if (maskHost_)
        return maskHost_;
    if (view_ && view_->superview())
        return &view_->superview()->layer();
    return nullptr;
}

double Layer::convertTime(double t, const Layer* from) const
{
    // Up to media time from `from`, then down to this layer.
    auto toMedia = [](const Layer* l, double time) {
        while (l) {
            time = (l->speed_ != 0 && std::isfinite(l->speed_)) ? (time - l->timeOffset_) / l->speed_ + l->beginTime_
                                                                : l->beginTime_;
            l = l->timeParent();
        }
        return time;
    };
    double media = from ? toMedia(from, t) : t;
    std::vector<const Layer*> chain;
    for (const Layer* l = this; l; l = l->timeParent())
        chain.push_back(l);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        media = (media - (*it)->beginTime_) * (*it)->speed_ + (*it)->timeOffset_;
    return media;
}

double Layer::localTime() const { return convertTime(AnimationClock::mediaTime(), nullptr); }

double Layer::mediaTimeOf(double t) const
{
    for (const Layer* l = this; l; l = l->timeParent()) {
        if (l->speed_ == 0 || !std::isfinite(l->speed_))
            return Animation::infinity;
        t = (t - l->timeOffset_) / l->speed_ + l->beginTime_;
    }
    return t;
}

LayerProperties Layer::presentation() const
{
    if (animations_.empty())
        return model_;
    LayerProperties p = model_;
    const double t = localTime();
    for (const auto& e : animations_)
        e.animation->apply(p, model_, t);
    return p;
}

bool Layer::hasRunningAnimations() const
{
    if (animations_.empty())
        return false;
    for (const Layer* l = this; l; l = l->timeParent())
        if (l->speed_ == 0 || !std::isfinite(l->speed_))
            return false;
    const double t = localTime();
    return std::any_of(animations_.begin(), animations_.end(),
                       [&](const auto& e) { return !e.animation->isDegenerate() && !e.animation->hasEnded(t); });
}

namespace {

// The angle a rotation animation turns through in one repeat, given the model's angle.
std::optional<double> turnOf(const BasicAnimation& turn, double modelAngle)
{
    auto number = [](const std::optional<LayerValue>& value) {
        return value ? LayerValues::number(*value) : std::nullopt;
    };
    const auto fromValue = number(turn.fromValue);
    const auto toValue = number(turn.toValue);
    const auto byValue = number(turn.byValue);
    double from = turn.isAdditive ? 0 : modelAngle;
    if (fromValue)
        from = *fromValue;
    else if (toValue && byValue)
        from = *toValue - *byValue;
    double to = turn.isAdditive ? 0 : modelAngle;
    if (toValue)
        to = *toValue;
    else if (byValue)
        to = from + *byValue;
    return to - from;
}

} // namespace

std::optional<Layer::Cycle> Layer::repeatingCycle() const
{
    if (animations_.size() != 1 || !hasRunningAnimations())
        return std::nullopt;
    const auto* turn = dynamic_cast<const BasicAnimation*>(animations_.front().animation.get());
    if (!turn || (turn->keyPath != "transform.rotation" && turn->keyPath != "transform.rotation.z")
        || turn->repeatCount != Animation::infinity || turn->repeatDuration > 0 || turn->autoreverses
        || !(turn->speed > 0))
        return std::nullopt;
    const auto angle = turnOf(*turn, model_.transform.rotationAngle());
    constexpr double fullTurn = 2 * M_PI;
    if (!angle || std::fabs(*angle) < fullTurn / 2 || std::fabs(std::remainder(*angle, fullTurn)) > 1e-9)
        return std::nullopt;
    // A repeat starts where the animation's own time is a multiple of its duration.
    const double repeatStart = turn->beginTime - turn->timeOffset / turn->speed;
    const double start = mediaTimeOf(repeatStart);
    const double length = mediaTimeOf(repeatStart + turn->duration / turn->speed) - start;
    if (!std::isfinite(start) || !(length > 0) || !std::isfinite(length))
        return std::nullopt;
    return Cycle {length, start};
}

void Layer::finishEndedAnimations()
{
    auto keep = weak_from_this().lock();
    const double t = localTime();
    const double now = AnimationClock::mediaTime();
    bool removed = false;
    std::vector<AnimationEntry> ended;
    for (auto it = animations_.begin(); it != animations_.end();) {
        // Ended in local time, or at the media time its end timer was set for.
        const bool hasEnded = it->animation->hasEnded(t) || mediaTimeOf(it->animation->endTime()) <= now;
        if (!it->stopReported && hasEnded) {
            if (it->animation->isRemovedOnCompletion) {
                ended.push_back(std::move(*it));
                it = animations_.erase(it);
                removed = true;
                continue;
            }
            ended.push_back({it->key, it->animation, false});
            it->stopReported = true;
        }
        ++it;
    }
    for (auto& e : ended)
        stopEntry(e, true);
    if (removed || !ended.empty())
        changed();
}

void Layer::setActions(std::map<std::string, std::shared_ptr<Animation>> actions) { actions_ = std::move(actions); }

void Layer::animationsChanged()
{
    changed();
    AnimationClock::shared().layerChanged(*this);
}

// Painting.

BezierPath Layer::roundedBoundsPath(const LayerProperties& p)
{
    const Rect b = p.bounds.standardized();
    const bool continuous = p.cornerCurve == CornerCurve::continuous;
    double r = std::max(0.0, p.cornerRadius);
    const double limit = std::min(b.width(), b.height()) / 2;
    r = std::min(r, continuous ? limit / BezierPath::continuousCornerExtent : limit);
    if (!(r > 0))
        return BezierPath::rect(b);
    const auto radius = [&](unsigned corner) { return (p.maskedCorners & corner) ? r : 0.0; };
    const double x0 = b.minX(), y0 = b.minY(), x1 = b.maxX(), y1 = b.maxY();
    BezierPath path;
    // Counter-clockwise in y-up from the bottom edge: corners (x1,y0), (x1,y1), (x0,y1), (x0,y0).
    struct Corner {
        Point at;
        Point u, v;
        unsigned mask;
    };
    const Corner corners[4] = {
        {{x1, y0}, {1, 0}, {0, 1}, maxXMinYCorner},
        {{x1, y1}, {0, 1}, {-1, 0}, maxXMaxYCorner},
        {{x0, y1}, {-1, 0}, {0, -1}, minXMaxYCorner},
        {{x0, y0}, {0, -1}, {1, 0}, minXMinYCorner},
    };
    const double extent = continuous ? BezierPath::continuousCornerExtent : 1.0;
    const double r0 = radius(minXMinYCorner) * extent;
    path.moveTo({x0 + r0, y0});
    for (const auto& c : corners) {
        const double cr = radius(c.mask);
        const double e = cr * extent;
        path.lineTo({c.at.x - c.u.x * e, c.at.y - c.u.y * e});
        if (cr <= 0)
            continue;
        if (continuous) {
            path.appendContinuousCorner(c.u, c.v, cr);
        } else {
            constexpr double kappa = 0.5522847498307936;
            const Point start = path.currentPoint();
            const Point end {c.at.x + c.v.x * cr, c.at.y + c.v.y * cr};
            path.curveTo(end, {start.x + c.u.x * cr * kappa, start.y + c.u.y * cr * kappa},
                         {end.x - c.v.x * cr * kappa, end.y - c.v.y * cr * kappa});
        }
    }
    path.closePath();
    return path;
}

void Layer::drawContent(GraphicsContext&, const LayerProperties&) const {}

void Layer::paintContents(GraphicsContext& context, const LayerProperties& p,
                          const std::function<void()>& drawOwn) const
{
    const bool rounded = p.cornerRadius > 0;
    const BezierPath outline = rounded ? roundedBoundsPath(p) : BezierPath::rect(p.bounds);
    context.saveGraphicsState();
    if (p.masksToBounds)
        context.clip(outline);
    if (p.backgroundColor)
        context.fillPath(outline, *p.backgroundColor);
    if (contents_ && contents_->isValid())
        context.drawImage(*contents_, p.bounds);
    if (drawOwn)
        drawOwn();
    for (const auto& sub : sublayers_)
        sub->render(context);
    context.restoreGraphicsState();
    if (p.borderWidth > 0 && p.borderColor) {
        // Inside the bounds: a stroke twice as wide, cut by the outline.
        context.saveGraphicsState();
        context.clip(outline);
        context.strokePath(outline, *p.borderColor, p.borderWidth * 2);
        context.restoreGraphicsState();
    }
}

void Layer::render(GraphicsContext& context) const
{
    const LayerProperties p = presentation();
    if (p.hidden || !(p.opacity > 0))
        return;
    context.saveGraphicsState();
    const Point anchor {p.bounds.x() + p.anchorPoint.x * p.bounds.width(),
                        p.bounds.y() + p.anchorPoint.y * p.bounds.height()};
    context.concat(AffineTransform::translation(-anchor.x, -anchor.y)
                       .concatenating(p.transform)
                       .concatenating(AffineTransform::translation(p.position.x, p.position.y)));
    context.setAlpha(context.alpha() * std::min(1.0, p.opacity));
    if (mask_) {
        // The mask's outline clips (its alpha, for a shape or a filled layer).
        const LayerProperties m = mask_->presentation();
        const Point ma {m.bounds.x() + m.anchorPoint.x * m.bounds.width(),
                        m.bounds.y() + m.anchorPoint.y * m.bounds.height()};
        BezierPath clip = mask_->clipOutline(m);
        context.clip(clip.transformed(AffineTransform::translation(-ma.x, -ma.y)
                                          .concatenating(m.transform)
                                          .concatenating(AffineTransform::translation(m.position.x, m.position.y))));
    }
    paintContents(context, p, [&] { drawContent(context, p); });
    context.restoreGraphicsState();
}

BezierPath Layer::clipOutline(const LayerProperties& p) const
{
    return p.cornerRadius > 0 ? roundedBoundsPath(p) : BezierPath::rect(p.bounds);
}

} // namespace Kit
