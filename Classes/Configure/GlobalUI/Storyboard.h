#pragma once

#include "Platform/Foundation/TestAccess.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Kit {
class ViewController;
class WindowController;
}

namespace Aerlo {

// The scenes the program builds in code, by storyboard name and identifier (empty: the initial
// controller). Each scene's owner registers its builder at start-up; an unregistered scene gives none.
class Storyboard {
public:
    using WindowControllerBuilder = std::function<std::shared_ptr<Kit::WindowController>()>;
    using ViewControllerBuilder = std::function<std::shared_ptr<Kit::ViewController>()>;

    static void registerWindowController(std::string name, std::string identifier, WindowControllerBuilder builder);
    static void registerViewController(std::string name, std::string identifier, ViewControllerBuilder builder);
    static std::shared_ptr<Kit::WindowController> instantiateWindowController(std::string_view name,
                                                                              std::string_view identifier = {});
    static std::shared_ptr<Kit::ViewController> instantiateViewController(std::string_view name,
                                                                          std::string_view identifier = {});

    // The scene's initial controller made by `Controller`'s default constructor.
    template <class Controller>
    static void registerInitialViewController(std::string name)
    {
        registerViewController(std::move(name), "", [] { return std::make_shared<Controller>(); });
    }
    // The scene's initial controller when it is a `Controller`, else none.
    template <class Controller>
    static std::shared_ptr<Controller> instantiateInitialViewController(std::string_view name)
    {
        return std::dynamic_pointer_cast<Controller>(instantiateViewController(name));
    }

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Aerlo
