#include "Platform/Kit/MenuItem.h"

namespace Kit {

MenuItem::MenuItem(std::string title, Action action, std::string keyEquivalent)
    : title_(std::move(title)), keyEquivalent_(std::move(keyEquivalent)), action_(std::move(action))
{
}

std::shared_ptr<MenuItem> MenuItem::separatorItem()
{
    auto item = std::make_shared<MenuItem>();
    item->separator_ = true;
    item->enabled_ = false;
    return item;
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); }

bool MenuItem::perform()
{
    if (!enabled_ || separator_)
        return false;
    return action_.send(*this);
}

} // namespace Kit
