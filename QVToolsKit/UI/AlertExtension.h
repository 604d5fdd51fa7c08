#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Alert.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Kit {
class View;
class Window;
}

namespace QVToolsKit {

// Alerts built from a title, an optional message, an optional accessory view and button titles (the
// first is the default), reporting the pressed button as a zero-based index: button i answers i, for
// every shown button. A response that is no button's calls no handler and returns −1. The check-box
// forms show the suppression button with that title and report whether it ended checked.

// With a window, a sheet: returns at once and calls the handler when it ends. Without one, modal.
QVTOOLSKITUI_EXPORT void show(Kit::Window* window, Kit::AlertStyle style, const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::vector<std::string>& buttons, std::function<void(long)> handler);
QVTOOLSKITUI_EXPORT void show(Kit::Window* window, Kit::AlertStyle style, const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::string& checkbox, const std::vector<std::string>& buttons,
    std::function<void(long, bool)> handler);
// Modal, with the warning style.
QVTOOLSKITUI_EXPORT long show(const std::string& title, const std::optional<std::string>& message, std::shared_ptr<Kit::View> accessoryView,
    const std::vector<std::string>& buttons);
QVTOOLSKITUI_EXPORT std::pair<long, bool> show(const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::string& checkbox, const std::vector<std::string>& buttons);

// The index of the button that gave the response, or −1.
QVTOOLSKITUI_EXPORT long buttonIndex(const Kit::Alert& alert, Kit::ModalResponse response);

} // namespace QVToolsKit
