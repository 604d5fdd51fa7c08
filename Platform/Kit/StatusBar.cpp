#include "Platform/Kit/StatusBar.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/StatusItemTray.h"

namespace Kit {

namespace {

Foundation::SharedInstance<StatusBar>& instance()
{
    static Foundation::SharedInstance<StatusBar> shared;
    return shared;
}

} // namespace

StatusBar& StatusBar::system() { return instance().get(); }

void StatusBar::resetForTesting(PresenterFactory factory)
{
    instance().resetForTesting([factory](void* storage) { new (storage) StatusBar(factory); });
}

StatusBar::StatusBar(PresenterFactory factory)
    : factory_(factory ? std::move(factory)
                       : PresenterFactory([](StatusItem& item) { return std::make_unique<StatusItemTray>(item); }))
{
}

StatusBar::~StatusBar()
{
    // Presenters go before their items.
    presenters_.clear();
}

std::shared_ptr<StatusItem> StatusBar::statusItem(double length)
{
    auto item = std::make_shared<StatusItem>(length);
    items_.push_back(item);
    presenters_.push_back(factory_(*item));
    return item;
}

void StatusBar::removeStatusItem(const StatusItem& item)
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == &item) {
            presenters_.erase(presenters_.begin() + static_cast<long>(i));
            items_.erase(items_.begin() + static_cast<long>(i));
            return;
        }
}

StatusBar::ItemPresenter* StatusBar::presenterFor(const StatusItem& item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == &item)
            return presenters_[i].get();
    return nullptr;
}

bool StatusBar::isShownOnDesktop(const StatusItem& item) const
{
    const ItemPresenter* presenter = presenterFor(item);
    return !presenter || presenter->isShownOnDesktop();
}

double StatusBar::thickness() const { return Screen::statusBarThickness; }

} // namespace Kit
