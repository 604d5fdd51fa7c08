#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Control.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Menu.h"

#include <memory>
#include <string>
#include <vector>

namespace Kit {

// A pop-up button: a menu of items, one of them selected and shown. A click opens the menu (through the
// menu presenter) over the button; choosing an item selects it and sends the action. Selecting by code
// sends nothing.
class AERLO_KIT_EXPORT PopUpButton : public Control {
public:
    explicit PopUpButton(const Rect& frame = {}, bool pullsDown = false);

    Menu& menu() const { return *menu_; }
    bool pullsDown() const { return pullsDown_; }
    void setPullsDown(bool pullsDown);

    void addItem(std::string title);
    void addItems(const std::vector<std::string>& titles);
    void insertItem(std::string title, long index);
    void removeItem(long index);
    void removeAllItems();
    long numberOfItems() const { return menu_->numberOfItems(); }
    MenuItem* itemAt(long index) const { return menu_->itemAt(index); }
    MenuItem* itemWithTitle(std::string_view title) const { return menu_->itemWithTitle(title); }
    std::vector<std::string> itemTitles() const;
    long indexOfItem(std::string_view title) const;

    // −1 when nothing is selected.
    long indexOfSelectedItem() const { return selected_; }
    MenuItem* selectedItem() const { return itemAt(selected_); }
    // The empty text when nothing is selected.
    std::string titleOfSelectedItem() const;
    // An index out of range (−1 included) selects nothing.
    void selectItem(long index);
    // No item with the title selects nothing.
    void selectItemWithTitle(std::string_view title);

    // The button's layer takes its background colour from updateLayer (a subclass may do more there); its
    // bezel, title and arrows are drawn over the layer all the same.
    bool wantsUpdateLayer() const override { return true; }
    void updateLayer() override {}

    void draw(const Rect& dirtyRect) override;
    void drawOverUpdatedLayer(const Rect& dirtyRect) override { draw(dirtyRect); }
    void mouseDown(const Event& event) override;
    // As a click does: opens the menu.
    bool performClick() override;

    // The up and down arrows choose the item above or below.
    bool acceptsFirstResponder() const override { return isEnabled(); }
    void keyDown(const Event& event) override;
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::popUpButton; }
    std::string accessibilityValue() const override { return titleOfSelectedItem(); }

private:
    void adopt(MenuItem& item);
    void choose(MenuItem& item);

    std::shared_ptr<Menu> menu_ = std::make_shared<Menu>();
    long selected_ = -1;
    bool pullsDown_ = false;
};

} // namespace Kit
