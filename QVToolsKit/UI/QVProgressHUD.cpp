#include "QVToolsKit/UI/QVProgressHUD.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "Platform/Kit/WindowController.h"
#include "QVToolsKit/UI/QVProgressIndicatorLayer.h"

#include <algorithm>
#include <cmath>

namespace QVToolsKit {

namespace {

// The HUD's own window: borderless and see-through, it never takes the focus from the user's window.
class HUDWindow : public Kit::Window {
public:
    using Kit::Window::Window;

protected:
    bool showsWithoutActivating() const override { return true; }
};

void post(std::string_view name, const QVProgressHUD* hud)
{
    Foundation::NotificationCenter::defaultCenter().post(name, hud);
}

const char* statusName(QVProgressHUDMode::Kind kind)
{
    switch (kind) {
    case QVProgressHUDMode::Kind::info: return "info";
    case QVProgressHUDMode::Kind::success: return "success";
    case QVProgressHUDMode::Kind::error: return "error";
    default: return "";
    }
}

} // namespace

Foundation::SharedInstance<std::shared_ptr<QVProgressHUD>>& QVProgressHUD::instance()
{
    static Foundation::SharedInstance<std::shared_ptr<QVProgressHUD>> i(
        [] { return std::shared_ptr<QVProgressHUD>(new QVProgressHUD()); });
    return i;
}

std::shared_ptr<QVProgressHUD> QVProgressHUD::shared() { return instance().get(); }

void QVProgressHUD::resetForTesting()
{
    auto& slot = instance();
    if (slot.exists())
        slot.get()->tearDownForTesting();
    slot.resetForTesting();
}

QVProgressHUD::QVProgressHUD() : font_(Kit::Font::systemFont(18))
{
    setAutoresizingMask(minXMargin | maxXMargin | minYMargin | maxYMargin);
    setAlphaValue(0);
    setHidden(true);
    statusLabel_ = Kit::TextField::labelWithString("");
    statusLabel_->setFont(font_);
    statusLabel_->setEditable(false);
    statusLabel_->setSelectable(false);
    statusLabel_->setAlignment(Kit::TextAlignment::center);
    statusLabel_->setDrawsBackground(false);
    statusLabel_->setBackgroundColor(Kit::Colour::clear());
    statusLabel_->setLineBreakMode(Kit::LineBreakMode::byTruncatingTail);
    addSubview(statusLabel_);
    makeWindowIfNeeded();
}

QVProgressHUD::~QVProgressHUD() = default;

void QVProgressHUD::makeWindowIfNeeded()
{
    if (windowController_)
        return;
    const auto screens = Kit::Screen::screens();
    if (screens.empty())
        return;
    auto window = std::make_unique<HUDWindow>(screens.front()->frame(), Kit::Window::borderless, 2, true);
    window->setLevel(Kit::Window::Level::floating);
    window->setBackgroundColor(Kit::Colour::clear());
    // A clear background alone would still cover the user's screen.
    window->setOpaque(false);
    window->setHasShadow(false);
    windowController_ = std::make_unique<Kit::WindowController>(std::move(window));
}

Kit::Window* QVProgressHUD::ownWindow() const { return windowController_ ? windowController_->window() : nullptr; }

void QVProgressHUD::tearDownForTesting()
{
    cancelPendingHides();
    if (progressIndicator_)
        progressIndicator_->stopSpinning();
    removeFromSuperview();
    if (windowController_)
        windowController_->close();
}

// Statics.

void QVProgressHUD::setDefaultStyle(QVProgressHUDStyle style) { shared()->style_ = std::move(style); }
void QVProgressHUD::setDefaultMaskType(QVProgressHUDMaskType maskType) { shared()->maskType_ = std::move(maskType); }
void QVProgressHUD::setDefaultPosition(QVProgressHUDPosition position) { shared()->position_ = position; }
void QVProgressHUD::setContainerView(const std::shared_ptr<Kit::View>& view) { shared()->containerView_ = view; }
void QVProgressHUD::setFont(Kit::Font font) { shared()->font_ = std::move(font); }
void QVProgressHUD::setOpacity(double opacity) { shared()->opacity_ = opacity; }
void QVProgressHUD::setSpinnerSize(double size) { shared()->spinnerSize_ = size; }
void QVProgressHUD::setMargin(double margin) { shared()->margin_ = margin; }
void QVProgressHUD::setPadding(double padding) { shared()->padding_ = padding; }
void QVProgressHUD::setCornerRadius(double radius) { shared()->cornerRadius_ = radius; }
void QVProgressHUD::setDismissable(bool dismissible) { shared()->dismissible_ = dismissible; }

void QVProgressHUD::show() { shared()->showWithStatus("", QVProgressHUDMode::indeterminate()); }

void QVProgressHUD::showWithStatus(const std::string& status)
{
    shared()->showWithStatus(status, QVProgressHUDMode::indeterminate());
}

void QVProgressHUD::showSuccessWithStatus(const std::string& status)
{
    const auto hud = shared();
    const auto view = hud->createImageView(bundleImage(imageForStatus(QVProgressHUDMode::Kind::success, hud->style_)));
    hud->showStatus(status, QVProgressHUDMode::success(view));
}

void QVProgressHUD::showErrorWithStatus(const std::string& status)
{
    const auto hud = shared();
    const auto view = hud->createImageView(bundleImage(imageForStatus(QVProgressHUDMode::Kind::error, hud->style_)));
    hud->showStatus(status, QVProgressHUDMode::error(view));
}

void QVProgressHUD::showInfoWithStatus(const std::string& status)
{
    const auto hud = shared();
    const auto view = hud->createImageView(bundleImage(imageForStatus(QVProgressHUDMode::Kind::info, hud->style_)));
    hud->showStatus(status, QVProgressHUDMode::info(view));
}

void QVProgressHUD::showTextWithStatus(const std::string& status)
{
    shared()->showStatus(status, QVProgressHUDMode::text());
}

void QVProgressHUD::showImage(const Kit::Image& image, const std::string& status)
{
    auto view = std::make_shared<Kit::ImageView>(Kit::Rect {0, 0, image.size().width, image.size().height});
    view->setImage(image);
    shared()->showStatus(status, QVProgressHUDMode::custom(view));
}

void QVProgressHUD::dismiss(double delay, Action completion)
{
    const auto hud = shared();
    hud->dismissCompletion_ = std::move(completion);
    if (delay > 0) {
        hud->scheduleHide(delay, false);
        return;
    }
    // Run here, and only here: the teardown must not run it a second time.
    Action now = std::move(hud->dismissCompletion_);
    hud->dismissCompletion_ = {};
    hud->hide(true);
    if (now)
        now();
}

double QVProgressHUD::displayTime(std::string_view status)
{
    const double d = 0.06 * static_cast<double>(Foundation::characterCount(status)) + 0.5;
    return std::clamp(d, minimumDismissTimeInterval, maximumDismissTimeInterval);
}

std::string QVProgressHUD::imageForStatus(QVProgressHUDMode::Kind kind, const QVProgressHUDStyle& style)
{
    return std::string(statusName(kind)) + (style.isDark() ? "_white@2x.png" : "_black@2x.png");
}

Kit::Image QVProgressHUD::bundleImage(const std::string& name)
{
    const auto bundlePath = Foundation::Bundle::main().path("QVProgressHUD", "bundle");
    if (!bundlePath)
        return Kit::Image();
    const auto file = Foundation::Bundle(*bundlePath).path(name);
    return file ? Kit::Image::fromFile(*file) : Kit::Image();
}

std::shared_ptr<Kit::ImageView> QVProgressHUD::createImageView(const Kit::Image& image) const
{
    auto view = std::make_shared<Kit::ImageView>(Kit::Rect {0, 0, 40, 40});
    view->setImage(image);
    return view;
}

// Showing.

Kit::View* QVProgressHUD::hudView()
{
    if (auto container = containerView_.lock()) {
        if (windowController_ && windowController_->isWindowVisible())
            windowController_->close();
        return container.get();
    }
    makeWindowIfNeeded();
    if (!windowController_)
        return nullptr;
    windowController_->showWindow();
    Kit::Window* window = ownWindow();
    return window ? window->contentView().get() : nullptr;
}

void QVProgressHUD::showWithStatus(const std::string& status, QVProgressHUDMode mode)
{
    Kit::View* host = hudView();
    if (!host)
        return;
    // A pending automatic hide of an earlier status would cut this show short.
    cancelPendingHides(true);
    mode_ = std::move(mode);
    auto self = std::static_pointer_cast<QVProgressHUD>(shared_from_this());
    if (isHidden()) {
        setFrame(host->frame());
        progressIndicator_ = QVProgressIndicatorLayer::make(spinnerSize_, style_.foregroundColor());
        host->addSubview(self);
    } else if (superview() != host) {
        // The container changed while shown: the HUD follows it.
        setFrame(host->frame());
        host->addSubview(self);
    }
    setupProgressIndicator();
    statusLabel_->setTextColor(style_.foregroundColor());
    statusLabel_->setFont(font_);
    statusLabel_->setStringValue(status);
    statusLabel_->setFrameSize(statusLabel_->intrinsicContentSize());
    show(true);
}

void QVProgressHUD::setupProgressIndicator()
{
    if (indicator_)
        indicator_->removeFromSuperview();
    indicator_.reset();
    if (mode_.carriesView()) {
        indicator_ = mode_.view();
    } else if (mode_.kind() == QVProgressHUDMode::Kind::indeterminate) {
        indicator_ = std::make_shared<Kit::View>(Kit::Rect {0, 0, spinnerSize_, spinnerSize_});
        indicator_->setWantsLayer(true);
        if (progressIndicator_) {
            progressIndicator_->startSpinning();
            indicator_->layer().addSublayer(progressIndicator_);
        }
    }
    if (indicator_)
        addSubview(indicator_);
}

void QVProgressHUD::show(bool animated)
{
    ++shows_;
    post(willAppearNotification, this);
    useAnimation_ = animated;
    setNeedsDisplay();
    setHidden(false);
    if (!animated) {
        setAlphaValue(1.0);
        post(didAppearNotification, this);
        return;
    }
    std::weak_ptr<View> weak = weak_from_this();
    const auto hides = hides_;
    Foundation::DispatchQueue::main().async([weak, hides] {
        auto hud = std::static_pointer_cast<QVProgressHUD>(weak.lock());
        if (!hud || hud->hides_ != hides)
            return;
        Kit::AnimationContext::runAnimationGroup(
            [&](Kit::AnimationContext& context) {
                context.setDuration(0.2);
                hud->animator().setAlphaValue(1.0);
            },
            [weak, hides] {
                auto hud = std::static_pointer_cast<QVProgressHUD>(weak.lock());
                if (hud && hud->hides_ == hides)
                    post(didAppearNotification, hud.get());
            });
    });
}

void QVProgressHUD::showStatus(const std::string& status, QVProgressHUDMode mode)
{
    showWithStatus(status, std::move(mode));
    dismissCompletion_ = {};
    scheduleHide(displayTime(status), true);
}

// Hiding.

void QVProgressHUD::scheduleHide(double delay, bool automatic)
{
    std::weak_ptr<View> weak = weak_from_this();
    auto timer = std::make_shared<Foundation::Timer>(delay, false, [weak](Foundation::Timer&) {
        if (auto hud = std::static_pointer_cast<QVProgressHUD>(weak.lock()))
            hud->hideDelayed(1.0);
    });
    timer->setFireDate(Foundation::RunLoop::main().clock().now() + delay);
    Foundation::RunLoop::main().add(timer, Foundation::RunLoop::Mode::default_);
    pendingHides_.push_back({timer, automatic});
}

void QVProgressHUD::cancelPendingHides(bool automaticOnly)
{
    std::erase_if(pendingHides_, [&](const PendingHide& pending) {
        if (automaticOnly && !pending.automatic)
            return false;
        pending.timer->invalidate();
        return true;
    });
}

void QVProgressHUD::hideDelayed(std::optional<double> animated)
{
    cancelPendingHides();
    hide(!(animated && *animated == 0));
}

void QVProgressHUD::hide(bool animated)
{
    if (isHidden())
        return;
    post(willDisappearNotification, this);
    useAnimation_ = animated;
    cancelPendingHides();
    ++hides_;
    if (!animated) {
        setAlphaValue(0);
        done();
        return;
    }
    std::weak_ptr<View> weak = weak_from_this();
    const auto shows = shows_;
    Kit::AnimationContext::runAnimationGroup(
        [&](Kit::AnimationContext& context) {
            context.setDuration(0.2);
            animator().setAlphaValue(0);
        },
        [weak, shows] {
            // A show since the fade-out began keeps the HUD up.
            auto hud = std::static_pointer_cast<QVProgressHUD>(weak.lock());
            if (hud && hud->shows_ == shows)
                hud->done();
        });
}

void QVProgressHUD::done()
{
    if (isHidden())
        return;
    if (progressIndicator_)
        progressIndicator_->stopSpinning();
    // Stops a fade still running, which would otherwise bring the alpha back.
    Kit::AnimationContext::runAnimationGroup([&](Kit::AnimationContext& context) {
        context.setDuration(0);
        animator().setAlphaValue(0);
    });
    setAlphaValue(0);
    setHidden(true);
    auto keep = shared_from_this();
    removeFromSuperview();
    if (completionHandler_)
        completionHandler_();
    if (indicator_)
        indicator_->removeFromSuperview();
    indicator_.reset();
    statusLabel_->setStringValue("");
    if (windowController_ && windowController_->isWindowVisible())
        windowController_->close();
    Action completion = std::move(dismissCompletion_);
    dismissCompletion_ = {};
    if (completion)
        completion();
    post(didDisappearNotification, this);
}

// Events, layout and drawing.

void QVProgressHUD::mouseDown(const Kit::Event& event)
{
    post(didReceiveMouseDownEventNotification, this);
    if (maskType_.kind() == QVProgressHUDMaskType::Kind::none)
        View::mouseDown(event);
    if (dismissible_) {
        std::weak_ptr<View> weak = weak_from_this();
        Foundation::DispatchQueue::main().async([weak] {
            if (auto hud = std::static_pointer_cast<QVProgressHUD>(weak.lock()))
                hud->hide(hud->useAnimation_);
        });
    }
}

void QVProgressHUD::layoutSubviews()
{
    setFrame(superview() ? superview()->bounds() : Kit::Rect {});
    QVProgressHUDLayout::Input input;
    input.host = bounds().size;
    input.margin = margin_;
    input.padding = padding_;
    input.spinnerSize = spinnerSize_;
    input.mode = mode_.kind();
    if (indicator_)
        input.indicator = indicator_->bounds().size;
    const std::string text = statusLabel_->stringValue();
    if (!text.empty())
        input.text = statusLabel_->font().sizeOf(text);
    input.position = position_;
    layout_ = QVProgressHUDLayout::compute(input);
    if (indicator_ && layout_.indicatorFrame)
        indicator_->setFrame(*layout_.indicatorFrame);
    statusLabel_->setFrame(layout_.labelFrame);
    size_ = layout_.size;
    // In its own window, the HUD takes clicks only where it shows something: all of the window
    // behind a mask, the box alone without one.
    Kit::Window* window = ownWindow();
    if (window && superview() && superview() == window->contentView().get()) {
        std::optional<Kit::Rect> input;
        if (maskType_.kind() == QVProgressHUDMaskType::Kind::none)
            input = convertTo(layout_.box, nullptr);
        // Only a change reaches the window: the layout repeats while it paints.
        if (window->inputRect() != input)
            window->setInputRect(input);
    }
}

void QVProgressHUD::viewWillDraw() { layoutSubviews(); }

void QVProgressHUD::draw(const Kit::Rect& dirtyRect)
{
    layoutSubviews();
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    if (!context)
        return;
    context->saveGraphicsState();
    if (maskType_.kind() == QVProgressHUDMaskType::Kind::black)
        context->fillRect(dirtyRect, Kit::Colour::black().withAlphaComponent(0.6));
    else if (maskType_.kind() == QVProgressHUDMaskType::Kind::custom)
        context->fillRect(dirtyRect, maskType_.colour());
    const Kit::Colour colour = style_.backgroundColor().withAlphaComponent(opacity_);
    context->fillPath(Kit::BezierPath::roundedRect(layout_.box, cornerRadius_, cornerRadius_), colour);
    context->restoreGraphicsState();
}

} // namespace QVToolsKit
