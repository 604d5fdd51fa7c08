#include "Platform/Kit/Menu.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/MenuPresenter.h"

#include <algorithm>

namespace Kit {

Menu::Menu(std::string title) : title_(std::move(title)) {}

Menu::~Menu() { removeAllItems(); }

MenuItem* Menu::itemAt(long index) const
{
    if (index < 0 || index >= numberOfItems())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

void Menu::adopt(MenuItem& item)
{
    // An item lives in one menu at a time.
    if (item.menu_ && item.menu_ != this)
        item.menu_->removeItem(item);
    item.menu_ = this;
}

void Menu::addItem(std::shared_ptr<MenuItem> item) { insertItem(std::move(item), numberOfItems()); }

MenuItem& Menu::addItem(std::string title, MenuItem::Action action, std::string keyEquivalent)
{
    auto item = std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
    MenuItem& added = *item;
    addItem(std::move(item));
    return added;
}

void Menu::insertItem(std::shared_ptr<MenuItem> item, long index)
{
    if (!item)
        return;
    if (item->menu_ == this)
        removeItem(*item);
    adopt(*item);
    index = std::clamp(index, 0L, numberOfItems());
    items_.insert(items_.begin() + index, std::move(item));
}

void Menu::removeItem(const MenuItem& item)
{
    const long index = indexOfItem(item);
    if (index >= 0)
        removeItemAt(index);
}

void Menu::removeItemAt(long index)
{
    if (index < 0 || index >= numberOfItems())
        return;
    items_[static_cast<size_t>(index)]->menu_ = nullptr;
    items_.erase(items_.begin() + index);
}

void Menu::removeAllItems()
{
    for (const auto& item : items_)
        item->menu_ = nullptr;
    items_.clear();
}

MenuItem* Menu::itemWithTag(long tag) const
{
    for (const auto& item : items_)
        if (item->tag() == tag)
            return item.get();
    return nullptr;
}

MenuItem* Menu::itemWithTitle(std::string_view title) const
{
    for (const auto& item : items_)
        if (item->title() == title)
            return item.get();
    return nullptr;
}

long Menu::indexOfItem(const MenuItem& item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == &item)
            return static_cast<long>(i);
    return -1;
}

bool Menu::popUp(MenuItem* positioningItem, Point location, View* view)
{
    return MenuPresenter::shared()->popUp(*this, positioningItem, location, view);
}

Size Menu::size() const { return MenuPresenter::shared()->size(*this); }

bool Menu::performKeyEquivalent(const Event& event)
{
    if (!(event.modifierFlags & Event::command) || event.charactersIgnoringModifiers.empty())
        return false;
    for (const auto& item : std::vector<std::shared_ptr<MenuItem>>(items_)) {
        if (item->isHidden() || item->isSeparatorItem())
            continue;
        if (item->hasSubmenu() && item->submenu()->performKeyEquivalent(event))
            return true;
        if (item->keyEquivalent() == event.charactersIgnoringModifiers && item->perform())
            return true;
    }
    return false;
}

} // namespace Kit
