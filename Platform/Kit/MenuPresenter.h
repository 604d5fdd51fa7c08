#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Point.h"
#include "Platform/Kit/Size.h"

#include <memory>

namespace Kit {

class Menu;
class MenuItem;
class View;

// Shows menus. The application's presenter pops up a QMenu; tests install a ScriptedMenuPresenter.
class AERLO_KIT_EXPORT MenuPresenter {
public:
    virtual ~MenuPresenter() = default;

    // Shows the menu at `location` in `view`'s coordinates (global y-up coordinates without a view) and
    // returns at once; the chosen item's action runs later. False when nothing could be shown.
    virtual bool popUp(Menu& menu, MenuItem* positioningItem, Point location, View* view) = 0;
    // The size the menu takes on screen.
    virtual Size size(const Menu& menu) = 0;

    static std::shared_ptr<MenuPresenter> shared();
    // Replaces the shared presenter; null goes back to the Qt one.
    static void replaceShared(std::shared_ptr<MenuPresenter> presenter);
};

} // namespace Kit
