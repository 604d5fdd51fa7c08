#pragma once

namespace Kit {

// The state of a button, check box, switch or menu item, with the platform's raw values.
enum class StateValue : int { mixed = -1, off = 0, on = 1 };

} // namespace Kit
