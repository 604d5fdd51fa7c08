#pragma once

#include "Platform/Kit/MenuPresenter.h"

#include <string_view>
#include <vector>

namespace Kit {

// Records the menus popped up and lets a test choose an item of the last one (tests).
class ScriptedMenuPresenter final : public MenuPresenter {
public:
    struct PopUp {
        Menu* menu = nullptr;
        MenuItem* positioningItem = nullptr;
        Point location;
        View* view = nullptr;
    };

    explicit ScriptedMenuPresenter(Size menuSize = {120, 80}) : menuSize_(menuSize) {}

    bool popUp(Menu& menu, MenuItem* positioningItem, Point location, View* view) override;
    Size size(const Menu&) override { return menuSize_; }

    const std::vector<PopUp>& popUps() const { return popUps_; }
    // Chooses the first item with the title in the last menu popped up (submenus searched in order), as the
    // user would; false when there is no such enabled item.
    [[nodiscard]] bool choose(std::string_view title);

private:
    Size menuSize_;
    std::vector<PopUp> popUps_;
};

} // namespace Kit
