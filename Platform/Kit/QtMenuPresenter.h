#pragma once

#include "Platform/Kit/MenuPresenter.h"

class QMenu;
class QWidget;

namespace Kit {

// Pops menus up as QMenus (non-blocking). While one is open the main run loop is in its event-tracking
// mode, so default-mode timers wait.
class QtMenuPresenter final : public MenuPresenter {
public:
    bool popUp(Menu& menu, MenuItem* positioningItem, Point location, View* view) override;
    Size size(const Menu& menu) override;

    // A QMenu for the menu (submenus included) whose actions perform the items; deleted with `parent`.
    static QMenu* makeQMenu(const Menu& menu, QWidget* parent = nullptr);
};

} // namespace Kit
