#include "Platform/Kit/WindowController.h"

#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewController.h"

namespace Kit {

WindowController::~WindowController()
{
    if (window_ && window_->delegate() == this)
        window_->setDelegate(nullptr);
}

void WindowController::setWindow(std::unique_ptr<Window> window)
{
    window_ = std::move(window);
    installContent();
}

void WindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    contentViewController_ = std::move(controller);
    installContent();
}

void WindowController::installContent()
{
    if (!window_ || !contentViewController_)
        return;
    // The window takes the size of the controller's view.
    const std::shared_ptr<View>& view = contentViewController_->view();
    window_->setContentSize(view->frame().size);
    window_->setContentView(view);
}

void WindowController::showWindow()
{
    if (!window_)
        return;
    if (contentViewController_ && !window_->isVisible())
        contentViewController_->viewWillAppear();
    window_->makeKeyAndOrderFront();
    if (contentViewController_)
        contentViewController_->viewDidAppear();
}

void WindowController::close()
{
    if (!window_ || !window_->isVisible())
        return;
    if (contentViewController_)
        contentViewController_->viewWillDisappear();
    window_->close();
}

bool WindowController::isWindowVisible() const { return window_ && window_->isVisible(); }

} // namespace Kit
