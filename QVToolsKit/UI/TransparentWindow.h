#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Window.h"

#include <memory>

namespace QVToolsKit {

// A new window owned by the caller: zero-sized, titled with a full-size content view, its title bar
// transparent and its standard buttons hidden, clear, not opaque, movable by its background.
QVTOOLSKITUI_EXPORT std::unique_ptr<Kit::Window> makeTransparentWindow();

} // namespace QVToolsKit
