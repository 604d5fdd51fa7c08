#include "Platform/Kit/View.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/LayerEffect.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/ViewWidget.h"
#include "Platform/Kit/Window.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace Kit {

namespace {
// Set while a display pass brings animated layers up to date.
bool followingAnimations = false;
// The focus ring's width, outside the shape it goes around.
constexpr double focusRingWidth = 3;
} // namespace

namespace {

struct Registry {
    std::set<View*> views;
    Foundation::ObserverToken appearanceToken;
    std::map<View::Hook, std::vector<View::HookFunction>> hooks;
};

Registry& registry()
{
    static Foundation::SharedInstance<Registry> r;
    return r.get();
}

} // namespace

View::View(const Rect& frame) : widget_(std::make_unique<detail::ViewWidget>(*this)), layer_(std::make_shared<Layer>())
{
    auto& r = registry();
    if (!r.appearanceToken.isActive())
        r.appearanceToken = Appearance::observeEffectiveApplication([] {
            for (View* v : std::vector<View*>(registry().views.begin(), registry().views.end()))
                if (!v->superview_ && registry().views.count(v))
                    v->propagateAppearanceChange();
        });
    r.views.insert(this);
    layer_->view_ = this;
    layer_->model_.anchorPoint = {0, 0};
    frame_ = frame;
    bounds_ = Rect({0, 0}, frame.size);
    syncLayerGeometry();
    applyQtGeometry();
    lastEffectiveAppearance_ = effectiveAppearance();
}

View::~View()
{
    registry().views.erase(this);
    for (auto& sub : subviews_) {
        sub->superview_ = nullptr;
        sub->widget_->setParent(nullptr);
    }
    subviews_.clear();
    if (layer_->view_ == this)
        layer_->view_ = nullptr;
    AnimationClock::shared().forget(*layer_);
    widget_.reset();
}

QWidget* View::qtWidget() const { return widget_.get(); }

// Geometry.

void View::setFrame(const Rect& frame)
{
    const bool moved = frame.origin != frame_.origin;
    frame_.origin = frame.origin;
    if (frame.size != frame_.size) {
        setFrameSize(frame.size);
        return;
    }
    if (moved) {
        syncLayerGeometry();
        applyQtGeometry();
        if (window_) {
            updateTrackingAreas();
            window_->noteDisplayRequest();
        }
    }
}

void View::setFrameOrigin(Point origin) { setFrame(Rect(origin, frame_.size)); }

void View::setFrameSize(Size size)
{
    const Size old = frame_.size;
    frame_.size = size;
    bounds_.size = size;
    syncLayerGeometry();
    applyQtGeometry();
    if (autoresizesSubviews_ && old != size)
        resizeSubviews(old);
    applyChildGeometry();
    setNeedsDisplay();
    if (window_)
        updateTrackingAreas();
    runHooks(Hook::setFrameSize);
}

void View::setBounds(const Rect& bounds)
{
    bounds_.origin = bounds.origin;
    if (bounds.size != bounds_.size)
        bounds_.size = bounds.size;
    syncLayerGeometry();
    applyChildGeometry();
    setNeedsDisplay();
}

void View::setBoundsOrigin(Point origin) { setBounds(Rect(origin, bounds_.size)); }

void View::resizeSubviews(Size oldSize)
{
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        sub->resizeWithOldSuperviewSize(oldSize);
}

void View::resizeWithOldSuperviewSize(Size oldSize)
{
    if (!superview_ || autoresizingMask_ == notSizable)
        return;
    const Size now = superview_->bounds_.size;
    // One axis: the change split among the flexible parts in proportion to their sizes.
    auto axis = [](double origin, double length, double oldTotal, double delta, bool minFlex, bool sizeFlex,
                    bool maxFlex) {
        const double parts[3] = {origin, length, oldTotal - origin - length};
        const bool flex[3] = {minFlex, sizeFlex, maxFlex};
        double sum = 0;
        int count = 0;
        for (int i = 0; i < 3; ++i)
            if (flex[i]) {
                sum += std::max(0.0, parts[i]);
                ++count;
            }
        if (count == 0)
            return std::pair{origin, length};
        double share[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i)
            if (flex[i])
                share[i] = sum > 0 ? delta * std::max(0.0, parts[i]) / sum : delta / count;
        return std::pair{origin + share[0], length + share[1]};
    };
    const unsigned m = autoresizingMask_;
    const auto [x, w] = axis(frame_.x(), frame_.width(), oldSize.width, now.width - oldSize.width, m & minXMargin,
        m & widthSizable, m & maxXMargin);
    const auto [y, h] = axis(frame_.y(), frame_.height(), oldSize.height, now.height - oldSize.height, m & minYMargin,
        m & heightSizable, m & maxYMargin);
    setFrame({x, y, w, h});
}

namespace {

Point toSuper(Point p, const Rect& frame, const Rect& bounds, bool flipped, bool superFlipped)
{
    const double dx = p.x - bounds.x();
    const double dy = p.y - bounds.y();
    if (flipped == superFlipped)
        return {frame.x() + dx, frame.y() + dy};
    return {frame.x() + dx, frame.y() + frame.height() - dy};
}

Point fromSuper(Point q, const Rect& frame, const Rect& bounds, bool flipped, bool superFlipped)
{
    const double dx = q.x - frame.x();
    const double dy = flipped == superFlipped ? q.y - frame.y() : frame.y() + frame.height() - q.y;
    return {bounds.x() + dx, bounds.y() + dy};
}

Point toWindow(const View* v, Point p)
{
    for (; v; v = v->superview())
        p = toSuper(p, v->frame(), v->bounds(), v->isFlipped(), v->superview() && v->superview()->isFlipped());
    return p;
}

Point fromWindow(const View* v, Point p)
{
    std::vector<const View*> chain;
    for (; v; v = v->superview())
        chain.push_back(v);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const View* x = *it;
        p = fromSuper(p, x->frame(), x->bounds(), x->isFlipped(), x->superview() && x->superview()->isFlipped());
    }
    return p;
}

} // namespace

Point View::convertFrom(Point point, const View* other) const
{
    return fromWindow(this, other ? toWindow(other, point) : point);
}

Point View::convertTo(Point point, const View* other) const
{
    const Point w = toWindow(this, point);
    return other ? fromWindow(other, w) : w;
}

Rect View::convertFrom(const Rect& rect, const View* other) const
{
    const Rect r = rect.standardized();
    const Point a = convertFrom(r.origin, other);
    const Point b = convertFrom(Point{r.rawMaxX(), r.rawMaxY()}, other);
    return Rect{a.x, a.y, b.x - a.x, b.y - a.y}.standardized();
}

Rect View::convertTo(const Rect& rect, const View* other) const
{
    const Rect r = rect.standardized();
    const Point a = convertTo(r.origin, other);
    const Point b = convertTo(Point{r.rawMaxX(), r.rawMaxY()}, other);
    return Rect{a.x, a.y, b.x - a.x, b.y - a.y}.standardized();
}

bool View::scrollRectToVisible(const Rect& rect)
{
    // Along one axis: the least move that brings low … high inside, its low end first.
    const auto axis = [](double low, double high, double origin, double length) {
        if (high > origin + length)
            origin = high - length;
        return std::min(origin, low);
    };
    bool scrolled = false;
    for (View* above = superview_; above; above = above->superview_) {
        auto* clip = dynamic_cast<ClipView*>(above);
        if (!clip)
            continue;
        const Rect wanted = clip->convertFrom(rect, this);
        const Rect visible = clip->bounds();
        const Point origin {axis(wanted.minX(), wanted.maxX(), visible.x(), visible.width()),
            axis(wanted.minY(), wanted.maxY(), visible.y(), visible.height())};
        if (origin != visible.origin) {
            clip->scrollToPoint(origin);
            scrolled = true;
        }
    }
    return scrolled;
}

void View::applyQtGeometry()
{
    QRectF g(0, 0, frame_.width(), frame_.height());
    if (superview_)
        g = QtBridge::childGeometry(frame_, superview_->bounds_, superview_->isFlipped())
                .translated(superview_->widget_->contentOrigin);
    else if (window_)
        g = QtBridge::childGeometry(frame_, Rect({0, 0}, window_->contentSize()), false);
    QMarginsF reach = detail::LayerEffect::overhang(*this, layer_->presentation());
    if (showsFocusRing()) {
        // The ring may reach past the frame by its width.
        const double ring = focusRingWidth + 1;
        reach = QMarginsF(std::max(reach.left(), ring), std::max(reach.top(), ring), std::max(reach.right(), ring),
            std::max(reach.bottom(), ring));
    }
    const double left = std::floor(g.x() - reach.left() + 1e-9);
    const double top = std::floor(g.y() - reach.top() + 1e-9);
    const double right = std::ceil(g.x() + g.width() + reach.right() - 1e-9);
    const double bottom = std::ceil(g.y() + g.height() + reach.bottom() - 1e-9);
    const QPointF origin(g.x() - left, g.y() - top);
    const bool originMoved = origin != widget_->contentOrigin;
    widget_->contentOrigin = origin;
    const QRect geometry(static_cast<int>(left), static_cast<int>(top), static_cast<int>(std::max(0.0, right - left)),
        static_cast<int>(std::max(0.0, bottom - top)));
    if (widget_->geometry() != geometry)
        widget_->setGeometry(geometry);
    if (originMoved)
        applyChildGeometry();
    qtGeometryDidChange();
}

void View::applyChildGeometry()
{
    for (auto& sub : subviews_)
        sub->applyQtGeometry();
}

void View::syncLayerGeometry()
{
    auto& m = layer_->model_;
    m.bounds = bounds_;
    m.position = {frame_.x() + m.anchorPoint.x * frame_.width(), frame_.y() + m.anchorPoint.y * frame_.height()};
    layerDidChange();
}

// Hierarchy.

void View::addSubview(std::shared_ptr<View> view) { addSubview(std::move(view), Ordering::above, nullptr); }

void View::addSubview(std::shared_ptr<View> view, Ordering ordering, const View* relativeTo)
{
    if (!view || view.get() == this || isDescendantOf(view.get()))
        return;
    auto keep = view;
    if (view->superview_)
        view->removeFromSuperview();
    view->viewWillMoveToSuperview(this);
    auto relative = std::find_if(subviews_.begin(), subviews_.end(), [&](auto& s) { return s.get() == relativeTo; });
    auto at = subviews_.end();
    if (relative != subviews_.end())
        at = ordering == Ordering::above ? relative + 1 : relative;
    else if (ordering == Ordering::below)
        at = subviews_.begin();
    const auto index = at - subviews_.begin();
    subviews_.insert(at, view);
    view->superview_ = this;
    view->widget_->setParent(widget_.get());
    view->applyQtGeometry();
    const auto next = static_cast<std::size_t>(index) + 1;
    if (next < subviews_.size())
        view->widget_->stackUnder(subviews_[next]->widget_.get());
    else
        view->widget_->raise();
    view->widget_->setVisible(!view->hidden_);
    view->moveToWindow(window_);
    view->viewDidMoveToSuperview();
    view->propagateAppearanceChange();
    didAddSubview(view.get());
    layerDidChange();
    setNeedsDisplay();
}

void View::removeFromSuperview()
{
    View* parent = superview_;
    if (!parent)
        return;
    auto keep = shared_from_this();
    parent->willRemoveSubview(this);
    viewWillMoveToSuperview(nullptr);
    moveToWindow(nullptr);
    widget_->hide();
    widget_->setParent(nullptr);
    std::erase(parent->subviews_, keep);
    superview_ = nullptr;
    viewDidMoveToSuperview();
    propagateAppearanceChange();
    parent->layerDidChange();
    parent->setNeedsDisplay();
}

bool View::isDescendantOf(const View* view) const
{
    for (const View* v = this; v; v = v->superview_)
        if (v == view)
            return true;
    return false;
}

Window* View::window() const { return window_; }

void View::moveToWindow(Window* window)
{
    if (window_ == window)
        return;
    // No window has no scale (0); a window going away is not asked for its scale.
    const double oldScale = window && window_ ? window_->backingScaleFactor() : 0;
    // A view leaving its window takes the keyboard focus with it: the window keeps none.
    if (window_ && window_->firstResponder() == this)
        window_->makeFirstResponder(nullptr);
    viewWillMoveToWindow(window);
    window_ = window;
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        sub->moveToWindow(window);
    viewDidMoveToWindow();
    if (window_ && oldScale != window_->backingScaleFactor())
        viewDidChangeBackingProperties();
    if (window_)
        updateTrackingAreas();
    if (!layer_->animations_.empty())
        AnimationClock::shared().update();
}

void View::setWindowForContent(Window* window)
{
    moveToWindow(window);
    applyQtGeometry();
    propagateAppearanceChange();
}

void View::propagateBackingPropertiesChange()
{
    visitTopDown(false, [](View& v) { v.viewDidChangeBackingProperties(); });
}

// State.

void View::setHidden(bool hidden)
{
    if (hidden_ == hidden)
        return;
    hidden_ = hidden;
    if (superview_ || window_)
        widget_->setVisible(!hidden);
    AnimationClock::shared().update();
    if (superview_)
        superview_->setNeedsDisplay();
    if (!superview_ || !superview_->isHiddenOrHasHiddenAncestor())
        noteHiddenChange(hidden);
}

void View::noteHiddenChange(bool hidden)
{
    if (hidden)
        viewDidHide();
    else
        viewDidUnhide();
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        if (!sub->hidden_)
            sub->noteHiddenChange(hidden);
}

bool View::isHiddenOrHasHiddenAncestor() const
{
    for (const View* v = this; v; v = v->superview_)
        if (v->hidden_)
            return true;
    return false;
}

bool View::isOnScreen() const
{
    Window* w = window();
    return w && w->isVisible() && !isHiddenOrHasHiddenAncestor();
}

double View::alphaValue() const { return layer_->opacity(); }
ViewAnimator View::animator() { return ViewAnimator(*this); }
void View::setAlphaValue(double alpha) { layer_->setOpacity(alpha); }

void View::setToolTip(std::string toolTip)
{
    toolTip_ = std::move(toolTip);
    widget_->setToolTip(QString::fromStdString(toolTip_));
}

void View::setShadow(std::optional<Shadow> shadow)
{
    shadow_ = std::move(shadow);
    if (!shadow_) {
        layer_->setShadowOpacity(0);
        return;
    }
    layer_->setShadowColor(shadow_->colour);
    layer_->setShadowOffset(shadow_->offset);
    layer_->setShadowRadius(shadow_->blurRadius);
    layer_->setShadowOpacity(1);
}

void View::setLayer(std::shared_ptr<Layer> layer)
{
    if (!layer || layer == layer_)
        return;
    AnimationClock::shared().forget(*layer_);
    layer_->view_ = nullptr;
    layer->removeFromSuperlayer();
    layer_ = std::move(layer);
    layer_->view_ = this;
    layer_->model_.anchorPoint = {0, 0};
    syncLayerGeometry();
    if (!layer_->animations_.empty())
        AnimationClock::shared().layerChanged(*layer_);
}

// Display.

void View::setNeedsDisplay(bool needs)
{
    needsDisplay_ = needs;
    if (needs) {
        widget_->update();
        if (Window* w = window())
            w->noteDisplayRequest();
    }
}

void View::setNeedsLayout(bool needs)
{
    needsLayout_ = needs;
    if (needs) {
        widget_->update();
        if (Window* w = window())
            w->noteDisplayRequest();
    }
}

void View::invalidateIntrinsicContentSize()
{
    if (superview_)
        superview_->setNeedsLayout();
}

void View::draw(const Rect&) {}

void View::runHooks(Hook hook)
{
    auto& hooks = registry().hooks;
    auto it = hooks.find(hook);
    if (it == hooks.end())
        return;
    for (auto& function : std::vector<HookFunction>(it->second))
        function(*this);
}

void View::addPostHook(Hook hook, HookFunction function) { registry().hooks[hook].push_back(std::move(function)); }

void View::visitTopDown(bool visibleOnly, const std::function<void(View&)>& visit)
{
    if (visibleOnly && hidden_)
        return;
    visit(*this);
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        sub->visitTopDown(visibleOnly, visit);
}

void View::runLayoutPass()
{
    visitTopDown(false, [](View& v) {
        if (!v.needsLayout_)
            return;
        v.needsLayout_ = false;
        v.layout();
        v.runHooks(Hook::layout);
    });
}

void View::layoutSubtreeIfNeeded() { runLayoutPass(); }

void View::displayIfNeeded()
{
    auto keep = weak_from_this().lock();
    // Effects and geometry follow the animations' values now: time moved on, nothing changed.
    followingAnimations = true;
    visitTopDown(false, [](View& v) {
        if (!v.layer_->animationKeys().empty())
            v.layerDidChange();
    });
    followingAnimations = false;
    runLayoutPass();
    visitTopDown(true, [](View& v) {
        if (!v.needsDisplay_)
            return;
        v.viewWillDraw();
        v.runHooks(Hook::viewWillDraw);
    });
    visitTopDown(true, [](View& v) {
        if (!v.needsDisplay_)
            return;
        v.needsDisplay_ = false;
        if (v.wantsUpdateLayer())
            v.updateLayer();
        v.widget_->update();
    });
}

void View::display()
{
    setNeedsDisplay(true);
    displayIfNeeded();
}

void View::paint(GraphicsContext& context, const Rect& dirty)
{
    Appearance::CurrentScope appearance(effectiveAppearance());
    const LayerProperties p = layer_->presentation();
    if (p.hidden)
        return;
    layer_->paintContents(context, p, [&] {
        // A layer of its own kind (a gradient, a shape) draws its content under the view's drawing.
        layer_->drawContent(context, p);
        if (!wantsUpdateLayer())
            draw(dirty);
        else
            drawOverUpdatedLayer(dirty);
    });
    if (showsFocusRing()) {
        const double half = focusRingWidth / 2;
        const double radius = focusRingCornerRadius() + half;
        context.strokePath(BezierPath::roundedRect(focusRingMaskBounds().insetBy(-half, -half), radius, radius),
            Colour::keyboardFocusIndicatorColor(), focusRingWidth);
    }
}

void View::layerDidChange()
{
    applyQtGeometry();
    const LayerProperties p = layer_->presentation();
    const bool needed = detail::LayerEffect::isNeeded(*this, p);
    auto* effect = dynamic_cast<detail::LayerEffect*>(widget_->graphicsEffect());
    if (needed && !effect)
        widget_->setGraphicsEffect(new detail::LayerEffect(*this));
    else if (!needed && effect)
        widget_->setGraphicsEffect(nullptr);
    else if (effect)
        effect->refresh();
    widget_->update();
    // What the layer shows changed: windows shown by other means than Qt's hear of it.
    if (Window* w = window(); w && !followingAnimations)
        w->noteDisplayRequest();
}

Image View::render(double scale, double width)
{
    displayIfNeeded();
    Size size = frame_.size;
    if (width >= 0)
        size.width = std::min(width, size.width);
    return QtBridge::paintedImage(size, scale, [&](QImage& pixels) { renderInto(pixels); });
}

void View::renderInto(QImage& pixels)
{
    const double scale = pixels.devicePixelRatio();
    // The whole widget (it may reach beyond the frame) up to the image's right edge, then the frame's part
    // of it.
    const QSize area(std::min(widget_->width(), int(std::ceil(widget_->contentOrigin.x() + pixels.deviceIndependentSize().width()))),
                     widget_->height());
    QImage source(area * scale, QImage::Format_ARGB32_Premultiplied);
    source.setDevicePixelRatio(scale);
    source.fill(Qt::transparent);
    auto* effect = dynamic_cast<detail::LayerEffect*>(widget_->graphicsEffect());
    // A widget does not render its own effect: render without it and composite the same way.
    if (effect)
        effect->setEnabled(false);
    widget_->render(&source, QPoint(), QRegion(QRect(QPoint(), area)), QWidget::DrawChildren);
    if (effect)
        effect->setEnabled(true);
    QPainter painter(&pixels);
    painter.translate(-widget_->contentOrigin);
    if (effect)
        detail::LayerEffect::composite(painter, source, QPointF(0, 0), *this);
    else
        painter.drawImage(QPointF(0, 0), source);
}

// Events.

View* View::hitTest(Point point)
{
    if (hidden_)
        return nullptr;
    const bool superFlipped = superview_ && superview_->isFlipped();
    const Point local = fromSuper(point, frame_, bounds_, isFlipped(), superFlipped);
    if (!Rect(bounds_).contains(local))
        return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (View* hit = (*it)->hitTest(local))
            return hit;
    return this;
}

Responder* View::nextResponder() const
{
    if (superview_)
        return superview_;
    return window_;
}

void View::addTrackingArea(std::shared_ptr<TrackingArea> area)
{
    if (!area)
        return;
    area->view_ = this;
    trackingAreas_.push_back(std::move(area));
}

void View::removeTrackingArea(const TrackingArea* area)
{
    std::erase_if(trackingAreas_, [&](auto& a) { return a.get() == area; });
}

// Keyboard.

bool View::canBecomeKeyView() const { return window_ && acceptsFirstResponder() && !isHiddenOrHasHiddenAncestor(); }

bool View::performKeyEquivalent(const Event& event)
{
    if (hidden_)
        return false;
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        if (sub->performKeyEquivalent(event))
            return true;
    return false;
}

void View::setFocusRingType(FocusRingType type)
{
    focusRingType_ = type;
    keyboardFocusDidChange();
}

bool View::showsFocusRing() const
{
    return focusRingType_ != FocusRingType::none && window_ && window_->showsFocusRing()
        && window_->firstResponder() == this;
}

void View::keyboardFocusDidChange()
{
    applyQtGeometry();
    setNeedsDisplay();
}

// Accessibility.

AccessibilityRole View::accessibilityRole() const
{
    return accessibilityLabel_.empty() ? AccessibilityRole::none : AccessibilityRole::group;
}

std::string View::accessibilityLabel() const
{
    if (!accessibilityLabel_.empty())
        return accessibilityLabel_;
    if (std::string title = accessibilityTitle(); !title.empty())
        return title;
    return toolTip_;
}

// Appearance.

void View::setAppearance(std::optional<Appearance> appearance)
{
    appearance_ = std::move(appearance);
    propagateAppearanceChange();
}

Appearance View::inheritedAppearance() const
{
    if (superview_)
        return superview_->effectiveAppearance();
    if (window_)
        return window_->effectiveAppearance();
    return Appearance::effectiveApplication();
}

Appearance View::effectiveAppearance() const { return appearance_ ? *appearance_ : inheritedAppearance(); }

void View::propagateAppearanceChange()
{
    const Appearance now = effectiveAppearance();
    if (lastEffectiveAppearance_ != now) {
        lastEffectiveAppearance_ = now;
        viewDidChangeEffectiveAppearance();
        setNeedsDisplay();
    }
    for (auto& sub : std::vector<std::shared_ptr<View>>(subviews_))
        sub->propagateAppearanceChange();
}

// Associated values.

const std::any* View::associatedValue(const std::string& key) const
{
    auto it = associated_.find(key);
    return it == associated_.end() ? nullptr : &it->second;
}

void View::setAssociatedValue(const std::string& key, std::any value) { associated_[key] = std::move(value); }

void View::removeAssociatedValue(const std::string& key) { associated_.erase(key); }

} // namespace Kit
