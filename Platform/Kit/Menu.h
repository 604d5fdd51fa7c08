#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/MenuItem.h"
#include "Platform/Kit/Point.h"
#include "Platform/Kit/Size.h"

#include <memory>
#include <string>
#include <vector>

namespace Kit {

class View;
struct Event;

// A menu: a title and items in order. Shown through the MenuPresenter (a QMenu in the application, a
// recorder in tests). Main thread only.
class AERLO_KIT_EXPORT Menu {
public:
    explicit Menu(std::string title = {});
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
    long numberOfItems() const { return static_cast<long>(items_.size()); }
    // The item at `index`; null when out of range.
    MenuItem* itemAt(long index) const;

    void addItem(std::shared_ptr<MenuItem> item);
    MenuItem& addItem(std::string title, MenuItem::Action action = {}, std::string keyEquivalent = {});
    // Inserts at `index`, clamped to 0 … numberOfItems().
    void insertItem(std::shared_ptr<MenuItem> item, long index);
    void removeItem(const MenuItem& item);
    void removeItemAt(long index);
    void removeAllItems();

    // The first item (in order, this menu only) with the tag or title; null when none.
    MenuItem* itemWithTag(long tag) const;
    MenuItem* itemWithTitle(std::string_view title) const;
    // −1 when the item is not in this menu.
    long indexOfItem(const MenuItem& item) const;

    // A key with the command modifier: performs the enabled, shown item (here or in a submenu) whose key
    // equivalent it types; false when none has it.
    bool performKeyEquivalent(const Event& event);

    // Shows the menu at `location` in `view` (global coordinates without a view) through the shared presenter;
    // returns at once.
    bool popUp(MenuItem* positioningItem, Point location, View* view);
    // The size the menu takes on screen (its width centres it under a button).
    Size size() const;

private:
    void adopt(MenuItem& item);

    std::string title_;
    std::vector<std::shared_ptr<MenuItem>> items_;
};

} // namespace Kit
