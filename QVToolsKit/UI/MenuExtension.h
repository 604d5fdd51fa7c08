#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/MenuItem.h"

#include <any>
#include <memory>
#include <optional>
#include <string>

namespace Kit {
class Button;
class Menu;
class View;
}

namespace QVToolsKit {

// Menu operations, as free functions taking the menu first.

// Depth first in item order: an item's submenu is searched before the items after it. A menu met again
// on the way (a cycle of submenus) is not searched twice.
QVTOOLSKITUI_EXPORT Kit::MenuItem* itemRecursively(const Kit::Menu& menu, long tag);
// Pops the menu up in the view, centred under the button (its frame in the view's coordinates; the
// empty rectangle at the origin when it has no superview), `yOffset` from the button's bottom.
QVTOOLSKITUI_EXPORT void showCenteredMenu(Kit::Menu& menu, const Kit::Button& button, Kit::View& view, double yOffset);
// Appends an item; tag −1 when none is given.
QVTOOLSKITUI_EXPORT void addItem(Kit::Menu& menu, const std::string& title, Kit::MenuItem::Action action = {}, const void* target = nullptr,
    std::optional<long> tag = std::nullopt, std::any obj = {}, bool stateOn = false, bool enabled = true);

} // namespace QVToolsKit
