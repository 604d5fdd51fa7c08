#include "tests/Support/Kit/ScriptedMenuPresenter.h"

#include "Platform/Kit/Menu.h"

namespace Kit {

namespace {

MenuItem* find(const Menu& menu, std::string_view title)
{
    for (const auto& item : menu.items()) {
        if (item->title() == title && !item->isSeparatorItem())
            return item.get();
        if (item->submenu())
            if (MenuItem* found = find(*item->submenu(), title))
                return found;
    }
    return nullptr;
}

} // namespace

bool ScriptedMenuPresenter::popUp(Menu& menu, MenuItem* positioningItem, Point location, View* view)
{
    popUps_.push_back({&menu, positioningItem, location, view});
    return true;
}

bool ScriptedMenuPresenter::choose(std::string_view title)
{
    if (popUps_.empty())
        return false;
    MenuItem* item = find(*popUps_.back().menu, title);
    return item && item->perform();
}

} // namespace Kit
