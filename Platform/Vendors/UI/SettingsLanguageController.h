#pragma once

#include <memory>

namespace Kit {
class Alert;
class Window;
}

namespace Vendors {

// Asks whether to switch to the language at an index of the chooser's model, as a sheet on a window
// (modal without one). Confirming stores the choice and tells the observers "changed"; cancelling tells
// them "reselect". The new language applies at the next start, as the sheet says.
class SettingsLanguageController : public std::enable_shared_from_this<SettingsLanguageController> {
public:
    explicit SettingsLanguageController(long index) : index_(index) {}

    long index() const { return index_; }
    void present(Kit::Window* window);

private:
    void finish(bool confirmed);

    long index_;
    std::shared_ptr<Kit::Alert> alert_;
};

} // namespace Vendors
