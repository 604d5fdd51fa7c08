#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"

#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>

namespace Kit {

class Image;
class Menu;

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// The running application: its activation and its one orderly way out. terminate() tells the delegate
// (once, whoever asks and however often), then leaves: by the Qt event loop when one runs, else by the
// quit handler a test or the program sets. Main thread only.
class AERLO_KIT_EXPORT Application {
public:
    static Application& shared();
    virtual ~Application() = default;

    // The class shared() makes: the program's own subclass, which adds no fields. Set before first use.
    template <class Principal>
    static void setPrincipalClass()
    {
        static_assert(std::is_base_of_v<Application, Principal>);
        static_assert(sizeof(Principal) == sizeof(Application) && alignof(Principal) == alignof(Application));
        setPrincipalMaker([](void* storage) -> Application* { return new (storage) Principal(); });
    }

    // The delegate's applicationWillTerminate.
    void setWillTerminate(std::function<void()> handler) { willTerminate_ = std::move(handler); }
    // How the process leaves once the delegate is done (exit code 0); default: the Qt loop quits.
    void setQuitHandler(std::function<void()> handler) { quit_ = std::move(handler); }

    void terminate();
    // The delegate's part of terminate() alone, once (the Qt loop ending by itself asks for this).
    void runWillTerminateOnce();
    bool isTerminating() const { return terminating_; }

    ActivationPolicy activationPolicy() const { return policy_; }
    void setActivationPolicy(ActivationPolicy policy) { policy_ = policy; }
    // Brings the application's windows forward.
    void activate(bool ignoringOtherApps);
    int activationCount() const { return activations_; }
    // The menu whose key equivalents work in every window of the application (none is shown).
    const std::shared_ptr<Menu>& mainMenu() const { return mainMenu_; }
    void setMainMenu(std::shared_ptr<Menu> menu) { mainMenu_ = std::move(menu); }

    // The icon every window of the application carries (the window manager's icon, the task switcher's).
    void setApplicationIconImage(const Image& image);
    // The desktop entry the windows belong to ("<name>.desktop" in the desktop's applications folders).
    void setDesktopEntryName(std::string_view name);

private:
    using Maker = Application* (*)(void* storage);
    static void setPrincipalMaker(Maker maker);

    std::function<void()> willTerminate_;
    std::function<void()> quit_;
    bool terminating_ = false;
    bool toldDelegate_ = false;
    ActivationPolicy policy_ = ActivationPolicy::accessory;
    int activations_ = 0;
    std::shared_ptr<Menu> mainMenu_;

    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Kit
