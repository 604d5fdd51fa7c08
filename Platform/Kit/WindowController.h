#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Window.h"

#include <memory>

namespace Kit {

class ViewController;

// Owns a window and the controller of its content: showWindow puts the content view in, tells the
// controller it appears and orders the window front; close tells it it disappears.
class AERLO_KIT_EXPORT WindowController : public WindowDelegate {
public:
    WindowController() = default;
    explicit WindowController(std::unique_ptr<Window> window) : window_(std::move(window)) {}
    ~WindowController() override;
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    Window* window() const { return window_.get(); }
    // Replaces the window (its delegate is not changed).
    void setWindow(std::unique_ptr<Window> window);
    const std::shared_ptr<ViewController>& contentViewController() const { return contentViewController_; }
    // Sets the controller and makes its view the window's content view, the window sized to it.
    void setContentViewController(std::shared_ptr<ViewController> controller);

    virtual void showWindow();
    virtual void close();
    bool isWindowVisible() const;

private:
    void installContent();

    std::unique_ptr<Window> window_;
    std::shared_ptr<ViewController> contentViewController_;
};

} // namespace Kit
