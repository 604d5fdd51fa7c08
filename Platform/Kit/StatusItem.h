#pragma once

#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/StatusBarButton.h"
#include "Platform/Kit/Window.h"

#include <functional>
#include <memory>
#include <string>

namespace Kit {

class StatusBar;

// An item of the status bar: its length, visibility, button (with target, action and subviews), image,
// title and menu. The button lives in the item's own window, whose frame is where the item is on screen
// (the tray's place for its icon, or a place at the top right of the main screen when there is no tray).
// What shows it (the tray adapter) listens through the change handler.
class AERLO_KIT_EXPORT StatusItem {
public:
    static constexpr double variableLength = -1;
    static constexpr double squareLength = -2;

    explicit StatusItem(double length = variableLength);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    double length() const { return length_; }
    void setLength(double length);
    // The width the item takes: the length, the bar's thickness for a square item, or the button's fitting
    // width (its image and title, at least the thickness) for a variable one.
    double width() const;
    bool isVisible() const { return visible_; }
    void setVisible(bool visible);

    StatusBarButton* button() const { return button_.get(); }
    Window& window() const { return *window_; }
    const std::shared_ptr<Menu>& menu() const { return menu_; }
    void setMenu(std::shared_ptr<Menu> menu);
    // The button's image and title (the item's own, as the platform once had them).
    const Image& image() const { return button_->image(); }
    void setImage(Image image);
    const std::string& title() const { return button_->title(); }
    void setTitle(std::string title);

    // Where the item is on screen, y up (the item's window's frame).
    Rect screenFrame() const { return window_->frame(); }
    // The adapter side: the place on screen. The window keeps the item's width, centred on that place.
    void setScreenFrame(const Rect& frame);

    // Told after any change that alters what shows (length, visibility, image, title, menu, any display or
    // layout request inside the button).
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

private:
    void changed();
    void applyWidth();

    double length_;
    bool visible_ = true;
    std::unique_ptr<Window> window_;
    std::shared_ptr<StatusBarButton> button_;
    std::shared_ptr<Menu> menu_;
    std::function<void()> changeHandler_;
};

} // namespace Kit
