#include "Platform/Kit/ViewAnimator.h"

#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/View.h"

namespace Kit {

ViewAnimator::ViewAnimator(View& view) : view_(view.weak_from_this()), raw_(&view) {}

namespace {

// The view, when it is still alive (a view not owned through a shared pointer counts as alive).
std::function<bool(const LayerValue&)> applying(std::weak_ptr<View> weak, View* raw,
                                                std::function<void(View&, const LayerValue&)> set)
{
    const bool owned = !weak.expired();
    return [weak, raw, owned, set](const LayerValue& value) {
        auto view = weak.lock();
        if (owned && !view)
            return false;
        set(view ? *view : *raw, value);
        return true;
    };
}

} // namespace

void ViewAnimator::setFrame(const Rect& frame)
{
    AnimationContext::animate(
        raw_, "frame", raw_->frame(), frame,
        applying(view_, raw_, [](View& v, const LayerValue& value) { v.setFrame(std::get<Rect>(value)); }));
}

void ViewAnimator::setFrameOrigin(Point origin) { setFrame(Rect(origin, raw_->frame().size)); }

void ViewAnimator::setFrameSize(Size size) { setFrame(Rect(raw_->frame().origin, size)); }

void ViewAnimator::setAlphaValue(double alpha)
{
    AnimationContext::animate(
        raw_, "alphaValue", raw_->alphaValue(), alpha,
        applying(view_, raw_, [](View& v, const LayerValue& value) { v.setAlphaValue(std::get<double>(value)); }));
}

void ViewAnimator::setHidden(bool hidden)
{
    if (hidden == raw_->isHidden())
        return;
    const double alpha = raw_->alphaValue();
    auto set =
        applying(view_, raw_, [](View& v, const LayerValue& value) { v.setAlphaValue(std::get<double>(value)); });
    if (hidden) {
        auto weak = view_;
        View* raw = raw_;
        const bool owned = !weak.expired();
        AnimationContext::animate(raw_, "alphaValue", alpha, 0.0, set, [weak, raw, owned, alpha] {
            auto view = weak.lock();
            if (owned && !view)
                return;
            View& v = view ? *view : *raw;
            v.setHidden(true);
            v.setAlphaValue(alpha);
        });
        return;
    }
    raw_->setAlphaValue(0);
    raw_->setHidden(false);
    AnimationContext::animate(raw_, "alphaValue", 0.0, alpha, set);
}

} // namespace Kit
