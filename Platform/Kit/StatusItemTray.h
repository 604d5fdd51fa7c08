#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/StatusBar.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

class QMenu;
class QPoint;
class QSystemTrayIcon;

namespace Foundation {
class Timer;
}

namespace Kit {

class Layer;
class StatusNotifierItem;

// Shows a status item as a tray icon: the button rendered to a square pixmap (its leftmost square, where
// the item's image is) at the tray's pixel size, with the button's tool tip (else its title) as the
// icon's tool tip. Where the session bus has a StatusNotifierItem host it shows as such an item of its
// own, with the button's title (else its tool tip's lines) as the label hosts show beside the icon;
// else as an XEmbed tray icon. A click sends the button's action, or opens the item's menu when it has
// one; the tray's place for the icon (or the host's place for the click) becomes the item's screen
// frame. The icon follows the appearance. It re-renders after changes and, while
// something in the button animates and the item is visible, at a frame rate; otherwise it keeps no timer.
// A layer that only turns, by whole turns for ever, is drawn once per step of its turn: the frames are
// kept by their step and drawn again only when a change shows in the icon, the turn's timing, the
// appearance or the tray's pixel size changes.
class AERLO_KIT_EXPORT StatusItemTray final : public StatusBar::ItemPresenter {
public:
    static constexpr double framesPerSecond = 12;
    static constexpr double frameInterval = 1.0 / framesPerSecond;
    // A host that takes each frame over the bus and draws it anew: fewer frames, and never more than the
    // maximum, which keeps the whole desktop's share of a core for the turning icon under 2 %.
    static constexpr double notifierFramesPerSecond = 4;
    static constexpr double notifierMaximumFramesPerSecond = 5;
    // A turn in fewer steps looks still or backwards: a third of a turn per step leaves a three-blade
    // glyph where it was, and a quarter looks like a twelfth back. A turn that needs more frames a second
    // than a StatusNotifierItem host's maximum is shown slower, in the same steps.
    static constexpr long long minimumTurnSteps = 8;
    static constexpr double placeLifetime = 1.0;

    enum class Protocol { xembed, statusNotifier };

    // The protocol the desktop offers (a StatusNotifierItem host on the session bus, else XEmbed).
    explicit StatusItemTray(StatusItem& item);
    StatusItemTray(StatusItem& item, Protocol protocol);
    ~StatusItemTray() override;

    // Whether the desktop shows tray icons of either kind.
    static bool isTrayAvailable();
    static Protocol desktopProtocol();

    // Whether the desktop had a tray or host when the tray icon was made.
    bool isShownOnDesktop() const override { return shownOnDesktop_; }
    // Renders and shows the item now.
    void refresh();
    const Image& icon() const { return icon_; }
    std::string toolTip() const;
    // The text shown beside the icon where the host shows one: the title, else the tool tip's lines.
    std::string label() const;
    Protocol protocol() const { return notifier_ ? Protocol::statusNotifier : Protocol::xembed; }
    // The XEmbed icon (only on that protocol).
    QSystemTrayIcon& trayIcon() const { return *tray_; }
    // The StatusNotifierItem (only on that protocol).
    StatusNotifierItem& notifier() const { return *notifier_; }
    bool isRefreshScheduled() const;
    // Takes the tray's place for the icon as the item's screen frame (nothing without one).
    void updatePlace();
    // As the tray does on a click of the icon.
    void click();
    // As the host asks: at its place for the click (none: the pointer's).
    void click(const QPoint& where);
    // Frames of a turn kept for showing again, and frames rendered since the tray was made (tests).
    std::size_t keptFrames() const { return frames_.size(); }
    std::size_t renderedFrames() const { return rendered_; }

private:
    struct Frame;
    // A turning layer's steps: one frame each, at media times start + k × step, the k-th shown at
    // start + k × interval (the step, or longer where the host takes fewer frames a second).
    struct Turn {
        const Layer* layer = nullptr;
        double start = 0;
        double step = 0;
        double interval = 0;
        long long steps = 1;
        bool sameCycle(const Turn& other) const
        {
            return layer == other.layer && start == other.start && step == other.step && interval == other.interval;
        }
    };

    void scheduleRefresh(double delay);
    // An animation frame; `redraw` after a change: what was kept may be stale.
    void showFrame(bool redraw = false);
    // The button's leftmost square; a turn's frame at the media time it shows.
    std::shared_ptr<const Frame> render(double side, double scale, std::optional<double> at = std::nullopt);
    // After a change: whether the frames kept before it still show what is drawn now (`kept` is the
    // frame kept at the angle of `drawn`, if any).
    bool keptFramesHold(std::map<long long, std::shared_ptr<const Frame>>::const_iterator kept, const Frame& drawn,
                        double side);
    std::optional<Turn> turn() const;
    bool animates() const;
    // Pixels per point for the tray's place (twice the item's, without a place), on the screen it was on
    // when taken.
    double pixelScale(double side, const Rect& place) const;
    // The tray's place for the icon (Qt's global pixels; empty without one). Asking the tray costs a round
    // trip to the display server, so animation frames reuse it for up to `placeLifetime` seconds.
    Rect place(bool fresh);

    double frameRate() const;
    void showIcon(const Frame& frame);

    StatusItem& item_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<StatusNotifierItem> notifier_;
    std::optional<Foundation::ObserverToken> appearanceObservation_;
    // The host's place for the last click (StatusNotifierItem).
    Rect clickPlace_;
    bool shownOnDesktop_ = true;
    std::unique_ptr<QMenu> menu_;
    std::shared_ptr<Foundation::Timer> timer_;
    // A refresh queued on the main run loop; the flag outlives the tray for the queued block.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool queued_ = false;
    Image icon_;
    bool rendering_ = false;
    // A change to show beyond the icon (tool tip, menu, visibility, place).
    bool changed_ = false;
    std::shared_ptr<const Frame> shown_;
    std::string shownToolTip_;
    std::string shownLabel_;
    // The turn's frames by their step in its cycle, for one cycle, appearance and pixel scale.
    std::map<long long, std::shared_ptr<const Frame>> frames_;
    std::string framesAppearance_;
    double framesScale_ = 0;
    std::optional<Turn> framesCycle_;
    std::size_t rendered_ = 0;
    Rect place_;
    double placeTakenAt_ = 0;
    double placeRatio_ = 1;
    bool placeTaken_ = false;
};

} // namespace Kit
