#pragma once

#include "Platform/Kit/ModalResponse.h"

#include <functional>
#include <string>

namespace Kit {
class Window;
}

namespace Aerlo {

class Utility {
public:
    // An informational alert with the application icon, the title and message as given and the buttons
    // "Ok" then "Cancel". Without a window: modal, true exactly when "Ok" was chosen. With a window: a
    // sheet on it; the completion gets the answer later and the call returns false at once.
    static bool confirm(const std::string& title, const std::string& message, Kit::Window* window = nullptr,
                        std::function<void(Kit::ModalResponse)> completion = nullptr);
};

} // namespace Aerlo
