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
    if (window_ && contentViewController_)
        window_->setContentView(contentViewController_->view());
}

void WindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    contentViewController_ = std::move(controller);
    if (window_ && contentViewController_)
        window_->setContentView(contentViewController_->view());
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

bool WindowController::isWindowVisible() const
{
    return window_ && window_->isVisible();
}

} // namespace Kit
