#include "Platform/Kit/StatusItemTray.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/FrameIconEngine.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Layer.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/QtMenuPresenter.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace Kit {

namespace {

// The views of the button whose layers run an animation that moves (an effective speed above 0).
void collectAnimating(const View& view, double parentSpeed, std::vector<const Layer*>& layers)
{
    const double speed = parentSpeed * view.layer().speed();
    if (view.isHidden() || speed == 0)
        return;
    if (view.layer().hasRunningAnimations())
        layers.push_back(&view.layer());
    for (const auto& sub : view.subviews())
        collectAnimating(*sub, speed, layers);
}

} // namespace

struct StatusItemTray::Frame {
    // The media time a turn's frame shows.
    double at = 0;
    Image image;
    QImage pixels;
    QIcon icon;
    // The pixmaps a StatusNotifierItem host takes, made when first shown there.
    mutable std::optional<StatusNotifierItem::Icon> notifierIcon;
};

StatusItemTray::StatusItemTray(StatusItem& item) : StatusItemTray(item, desktopProtocol()) {}

StatusItemTray::StatusItemTray(StatusItem& item, Protocol protocol) : item_(item)
{
    if (protocol == Protocol::statusNotifier) {
        const QString name = QCoreApplication::applicationName();
        notifier_ = std::make_unique<StatusNotifierItem>(name.isEmpty() ? "aerlo" : name.toStdString());
        notifier_->setActivationHandler([this](StatusNotifierItem::Click, QPoint where) { click(where); });
    } else {
        shownOnDesktop_ = QSystemTrayIcon::isSystemTrayAvailable();
        tray_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                                 click();
                         });
    }
    item_.setChangeHandler([this] {
        if (rendering_)
            return;
        changed_ = true;
        scheduleRefresh(0);
    });
    // The icon's template images take the appearance's colour.
    appearanceObservation_ = Appearance::observeEffectiveApplication([alive = alive_, this] {
        Foundation::RunLoop::main().perform([alive, this] {
            if (!*alive)
                return;
            changed_ = true;
            scheduleRefresh(0);
        });
    });
    refresh();
}

StatusItemTray::~StatusItemTray()
{
    *alive_ = false;
    item_.setChangeHandler(nullptr);
    if (timer_)
        timer_->invalidate();
}

bool StatusItemTray::isTrayAvailable()
{
    return desktopProtocol() == Protocol::statusNotifier || QSystemTrayIcon::isSystemTrayAvailable();
}

StatusItemTray::Protocol StatusItemTray::desktopProtocol()
{
    return StatusNotifierItem::isHostAvailable() ? Protocol::statusNotifier : Protocol::xembed;
}

double StatusItemTray::frameRate() const
{
    return notifier_ ? notifierFramesPerSecond : StatusItemTray::framesPerSecond;
}

bool StatusItemTray::isRefreshScheduled() const { return queued_ || (timer_ && timer_->isValid()); }

void StatusItemTray::scheduleRefresh(double delay)
{
    if (isRefreshScheduled())
        return;
    if (delay <= 0) {
        // Changes made together are shown together, at the run loop's next pass.
        queued_ = true;
        Foundation::RunLoop::main().perform([this, alive = alive_] {
            if (*alive && queued_)
                refresh();
        });
        return;
    }
    timer_ = std::make_shared<Foundation::Timer>(delay, false, [this](Foundation::Timer&) {
        if (changed_)
            refresh();
        else
            showFrame();
    });
    Foundation::RunLoop::main().add(timer_, Foundation::RunLoop::Mode::common);
}

bool StatusItemTray::animates() const
{
    std::vector<const Layer*> layers;
    collectAnimating(*item_.button(), 1, layers);
    return !layers.empty();
}

std::optional<StatusItemTray::Turn> StatusItemTray::turn() const
{
    std::vector<const Layer*> layers;
    collectAnimating(*item_.button(), 1, layers);
    if (layers.size() != 1)
        return std::nullopt;
    const auto cycle = layers.front()->repeatingCycle();
    if (!cycle)
        return std::nullopt;
    // As few frames as look smooth: the frame rate's number of steps in a cycle, but enough that the
    // turn shows going forward.
    const double steps = std::max(static_cast<double>(minimumTurnSteps), std::round(cycle->length * frameRate()));
    const double step = cycle->length / steps;
    // A host that cannot take as many frames as the steps need is shown the same steps more slowly.
    const double interval = notifier_ ? std::max(step, 1 / notifierMaximumFramesPerSecond) : step;
    return Turn {layers.front(), cycle->start, step, interval, static_cast<long long>(steps)};
}

std::string StatusItemTray::toolTip() const
{
    const StatusBarButton& button = *item_.button();
    return button.toolTip().empty() ? button.title() : button.toolTip();
}

std::string StatusItemTray::label() const
{
    const StatusBarButton& button = *item_.button();
    std::string text = button.title().empty() ? button.toolTip() : button.title();
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

Rect StatusItemTray::place(bool fresh)
{
    const double now = AnimationClock::mediaTime();
    if (fresh || !placeTaken_ || now - placeTakenAt_ >= placeLifetime || now < placeTakenAt_) {
        place_ = tray_ ? QtBridge::rect(QRectF(tray_->geometry())) : clickPlace_;
        placeTakenAt_ = now;
        placeTaken_ = true;
        const QRect pixels = QtBridge::rect(place_).toRect();
        const QScreen* screen = pixels.isEmpty() ? nullptr : QGuiApplication::screenAt(pixels.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        placeRatio_ = screen ? screen->devicePixelRatio() : 1;
    }
    return place_;
}

double StatusItemTray::pixelScale(double side, const Rect& rect) const
{
    const QRect place = QtBridge::rect(rect).toRect();
    if (place.isEmpty() || side <= 0)
        return 2;
    return std::min(place.width(), place.height()) * placeRatio_ / side;
}

void StatusItemTray::refresh()
{
    changed_ = false;
    showFrame(true);
    if (item_.menu()) {
        menu_.reset(QtMenuPresenter::makeQMenu(*item_.menu()));
    } else {
        menu_.reset();
    }
    if (tray_)
        tray_->setVisible(item_.isVisible());
    else
        notifier_->setVisible(item_.isVisible());
    updatePlace();
}

std::shared_ptr<const StatusItemTray::Frame> StatusItemTray::render(double side, double scale, std::optional<double> at)
{
    std::optional<AnimationClock::DrawingTime> drawing;
    if (at)
        drawing.emplace(*at);
    rendering_ = true;
    ++rendered_;
    // Only the leftmost square shows: the rest of the button (its texts) is not rendered.
    const Image full = item_.button()->render(scale, side);
    auto frame = std::make_shared<Frame>();
    frame->at = at.value_or(0);
    frame->image = Image::withSize(
        {side, side}, false,
        [&](const Rect&) {
            // The leftmost square of the button, its top at the icon's top.
            if (GraphicsContext* context = GraphicsContext::current())
                context->drawImage(full, {0, side - full.size().height, full.size().width, full.size().height});
            return true;
        },
        scale);
    rendering_ = false;
    frame->pixels = QtBridge::image(frame->image);
    frame->icon = QIcon(new FrameIconEngine(frame->pixels));
    return frame;
}

void StatusItemTray::showFrame(bool redraw)
{
    queued_ = false;
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    const double side = item_.window().frame().height();
    const double scale = pixelScale(side, place(redraw));
    // Layout first, at the real time: what it changes shows in the frame drawn next. Without a change
    // since the last frame it only follows the animations, which a kept frame already shows.
    bool laidOut = false;
    auto layOut = [&] {
        if (laidOut)
            return;
        laidOut = true;
        rendering_ = true;
        item_.button()->displayIfNeeded();
        rendering_ = false;
    };
    if (redraw)
        layOut();
    const std::string appearance = item_.button()->effectiveAppearance().name();
    const std::optional<Turn> turning = item_.isVisible() ? turn() : std::nullopt;
    if (scale != framesScale_ || appearance != framesAppearance_
        || (turning && !(framesCycle_ && framesCycle_->sameCycle(*turning)))) {
        frames_.clear();
        framesScale_ = scale;
        framesAppearance_ = appearance;
        framesCycle_ = turning;
    }

    std::shared_ptr<const Frame> frame;
    double next = -1;
    if (turning) {
        // The step due now, drawn at its own time, so that a kept frame shows its angle exactly.
        const double now = AnimationClock::mediaTime();
        const double index = std::round((now - turning->start) / turning->interval);
        const double at = turning->start + index * turning->step;
        next = turning->start + (index + 1) * turning->interval;
        // A step of the cycle shows what the same step of every other cycle shows.
        const long long key = ((static_cast<long long>(index) % turning->steps) + turning->steps) % turning->steps;
        const auto kept = frames_.find(key);
        if (kept != frames_.end() && !redraw) {
            frame = kept->second;
        } else {
            layOut();
            frame = render(side, scale, at);
            if (redraw && !keptFramesHold(kept, *frame, side))
                frames_.clear();
            else if (kept != frames_.end() && kept->second->pixels == frame->pixels)
                frame = kept->second;
            frames_[key] = frame;
        }
    } else {
        frames_.clear();
        layOut();
        frame = render(side, scale);
        if (item_.isVisible() && animates())
            next = AnimationClock::mediaTime() + 1 / frameRate();
    }

    icon_ = frame->image;
    // A frame like the one shown costs the tray no new icon.
    if (!shown_ || (frame != shown_ && frame->pixels != shown_->pixels)) {
        shown_ = frame;
        showIcon(*frame);
    }
    // A tool tip set on the button tells nobody: it is taken at every frame.
    if (std::string tip = toolTip(); tip != shownToolTip_) {
        shownToolTip_ = std::move(tip);
        if (tray_)
            tray_->setToolTip(QString::fromStdString(shownToolTip_));
        else
            notifier_->setToolTip(shownToolTip_);
    }
    if (notifier_)
        notifier_->setLabel(label());
    if (next >= 0) {
        scheduleRefresh(std::max(0.0, next - AnimationClock::mediaTime()));
        if (timer_)
            timer_->setFireDate(next);
    }
}

bool StatusItemTray::keptFramesHold(std::map<long long, std::shared_ptr<const Frame>>::const_iterator kept,
                                    const Frame& drawn, double side)
{
    if (kept != frames_.end())
        return kept->second->pixels == drawn.pixels;
    if (frames_.empty())
        return true;
    // Nothing kept at this step to compare with: one kept frame drawn again at its own time tells.
    const Frame& probe = *frames_.rbegin()->second;
    return render(side, framesScale_, probe.at)->pixels == probe.pixels;
}

void StatusItemTray::showIcon(const Frame& frame)
{
    if (tray_) {
        tray_->setIcon(frame.icon);
        return;
    }
    if (!frame.notifierIcon)
        frame.notifierIcon = StatusNotifierItem::Icon::fromImage(frame.pixels);
    notifier_->setIcon(*frame.notifierIcon);
}

void StatusItemTray::updatePlace()
{
    const Rect where = place(false);
    if (where.width() <= 0 || where.height() <= 0)
        return;
    item_.setScreenFrame(Screen::globalRectFromQt(where));
}

void StatusItemTray::click()
{
    place(true);
    updatePlace();
    if (menu_) {
        const QRect place = QtBridge::rect(place_).toRect();
        menu_->popup(place.isEmpty() ? QCursor::pos() : place.bottomLeft());
        return;
    }
    item_.button()->performClick();
}

void StatusItemTray::click(const QPoint& where)
{
    // Some hosts give no place (0, 0): the pointer is where the click was.
    const QPoint point = where.isNull() ? QCursor::pos() : where;
    const double side = item_.window().frame().height();
    clickPlace_ = QtBridge::rect(QRectF(point.x() - side / 2, point.y() - side / 2, side, side));
    click();
}

} // namespace Kit
