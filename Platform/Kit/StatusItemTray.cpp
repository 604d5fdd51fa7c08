#include "Platform/Kit/StatusItemTray.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/QtMenuPresenter.h"
#include "Platform/Kit/Screen.h"

#include <QIconEngine>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include <functional>

namespace Kit {

namespace {

// Whether a layer of the view or its subviews runs an animation that moves (an effective speed above 0).
bool animatesIn(const View& view, double parentSpeed)
{
    const double speed = parentSpeed * view.layer().speed();
    if (view.isHidden() || speed == 0)
        return false;
    if (view.layer().hasRunningAnimations())
        return true;
    for (const auto& sub : view.subviews())
        if (animatesIn(*sub, speed))
            return true;
    return false;
}

// An icon drawn straight from one image. The pixmap engine behind QIcon(QPixmap) keeps every size it
// scales to in the process-wide pixmap cache under the icon's key, and the icon is new on each frame:
// 15 entries a second until the cache is full.
class FrameIconEngine final : public QIconEngine {
public:
    explicit FrameIconEngine(QImage image) : image_(std::move(image)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(QRectF(rect), image_);
        painter->restore();
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new FrameIconEngine(image_); }

private:
    QImage image_;
};

} // namespace

StatusItemTray::StatusItemTray(StatusItem& item) : item_(item), tray_(std::make_unique<QSystemTrayIcon>())
{
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                click();
        });
    item_.setChangeHandler([this] {
        if (rendering_)
            return;
        changed_ = true;
        scheduleRefresh(0);
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
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool StatusItemTray::isRefreshScheduled() const
{
    return queued_ || (timer_ && timer_->isValid());
}

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
    return animatesIn(*item_.button(), 1);
}

std::string StatusItemTray::toolTip() const
{
    const StatusBarButton& button = *item_.button();
    return button.toolTip().empty() ? button.title() : button.toolTip();
}

void StatusItemTray::refresh()
{
    changed_ = false;
    showFrame();
    if (item_.menu()) {
        menu_.reset(QtMenuPresenter::makeQMenu(*item_.menu()));
    } else {
        menu_.reset();
    }
    tray_->setVisible(item_.isVisible());
    updatePlace();
}

void StatusItemTray::showFrame()
{
    queued_ = false;
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    rendering_ = true;
    const double side = item_.window().frame().height();
    // Only the leftmost square shows: the rest of the button (its texts) is not rendered.
    const Image full = item_.button()->render(2, side);
    icon_ = Image::withSize(
        {side, side}, false,
        [&](const Rect&) {
            // The leftmost square of the button, its top at the icon's top.
            if (GraphicsContext* context = GraphicsContext::current())
                context->drawImage(full, {0, side - full.size().height, full.size().width, full.size().height});
            return true;
        },
        2);
    rendering_ = false;

    QImage pixels = QtBridge::image(icon_);
    // A frame like the one shown costs the tray no new icon.
    if (pixels != shownPixels_) {
        shownPixels_ = pixels;
        tray_->setIcon(QIcon(new FrameIconEngine(pixels)));
    }
    // A tool tip set on the button tells nobody: it is taken at every frame.
    if (std::string tip = toolTip(); tip != shownToolTip_) {
        shownToolTip_ = std::move(tip);
        tray_->setToolTip(QString::fromStdString(shownToolTip_));
    }
    if (item_.isVisible() && animates())
        scheduleRefresh(frameInterval);
}

void StatusItemTray::updatePlace()
{
    const QRect place = tray_->geometry();
    if (place.isEmpty())
        return;
    item_.setScreenFrame(Screen::globalRectFromQt(QtBridge::rect(QRectF(place))));
}

void StatusItemTray::click()
{
    updatePlace();
    if (menu_) {
        const QRect place = tray_->geometry();
        menu_->popup(place.isEmpty() ? QCursor::pos() : place.bottomLeft());
        return;
    }
    item_.button()->performClick();
}

} // namespace Kit
