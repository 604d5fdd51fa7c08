#pragma once

#include "Platform/Kit/Image.h"
#include "Platform/Kit/StatusBar.h"

#include <QImage>

#include <memory>
#include <string>

class QMenu;
class QSystemTrayIcon;

namespace Foundation {
class Timer;
}

namespace Kit {

// Shows a status item as a tray icon: the button rendered to a square pixmap (its leftmost square, where
// the item's image is) with the button's tool tip (else its title) as the icon's tool tip. A click sends
// the button's action, or opens the item's menu when it has one; the tray's place for the icon becomes
// the item's screen frame. It re-renders after changes and, while something in the button animates and
// the item is visible, 15 times a second; otherwise it keeps no timer.
class StatusItemTray final : public StatusBar::ItemPresenter {
public:
    static constexpr double frameInterval = 1.0 / 15.0;

    explicit StatusItemTray(StatusItem& item);
    ~StatusItemTray() override;

    static bool isTrayAvailable();

    // Renders and shows the item now.
    void refresh();
    const Image& icon() const { return icon_; }
    std::string toolTip() const;
    QSystemTrayIcon& trayIcon() const { return *tray_; }
    bool isRefreshScheduled() const;
    // Takes the tray's place for the icon as the item's screen frame (nothing without one).
    void updatePlace();
    // As the tray does on a click of the icon.
    void click();

private:
    void scheduleRefresh(double delay);
    // An animation frame: renders the icon and hands it to the tray when it differs from the one shown.
    void showFrame();
    bool animates() const;

    StatusItem& item_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QMenu> menu_;
    std::shared_ptr<Foundation::Timer> timer_;
    // A refresh queued on the main run loop; the flag outlives the tray for the queued block.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool queued_ = false;
    Image icon_;
    bool rendering_ = false;
    // A change to show beyond the icon (tool tip, menu, visibility, place).
    bool changed_ = false;
    QImage shownPixels_;
    std::string shownToolTip_;
};

} // namespace Kit
