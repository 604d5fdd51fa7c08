#include "Classes/Configure/GlobalUI/Storyboard.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/WindowController.h"

#include <map>
#include <mutex>
#include <utility>

namespace Aerlo {

namespace {

struct Scenes {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, Storyboard::WindowControllerBuilder, std::less<>> windows;
    std::map<std::pair<std::string, std::string>, Storyboard::ViewControllerBuilder, std::less<>> views;
};

Scenes& scenes()
{
    static Foundation::SharedInstance<Scenes> shared;
    return shared.get();
}

template <class Builder>
auto instantiate(std::map<std::pair<std::string, std::string>, Builder, std::less<>>& builders, std::string_view name,
                 std::string_view identifier) -> decltype(Builder()())
{
    Builder builder;
    {
        std::lock_guard lock(scenes().mutex);
        const auto found = builders.find(std::pair {std::string(name), std::string(identifier)});
        if (found == builders.end())
            return nullptr;
        builder = found->second;
    }
    // Outside the lock: a builder may instantiate other scenes.
    return builder ? builder() : nullptr;
}

} // namespace

void Storyboard::registerWindowController(std::string name, std::string identifier, WindowControllerBuilder builder)
{
    std::lock_guard lock(scenes().mutex);
    scenes().windows[{std::move(name), std::move(identifier)}] = std::move(builder);
}

void Storyboard::registerViewController(std::string name, std::string identifier, ViewControllerBuilder builder)
{
    std::lock_guard lock(scenes().mutex);
    scenes().views[{std::move(name), std::move(identifier)}] = std::move(builder);
}

std::shared_ptr<Kit::WindowController> Storyboard::instantiateWindowController(std::string_view name,
                                                                               std::string_view identifier)
{
    return instantiate(scenes().windows, name, identifier);
}

std::shared_ptr<Kit::ViewController> Storyboard::instantiateViewController(std::string_view name,
                                                                           std::string_view identifier)
{
    return instantiate(scenes().views, name, identifier);
}

void Storyboard::resetForTesting()
{
    std::lock_guard lock(scenes().mutex);
    scenes().windows.clear();
    scenes().views.clear();
}

} // namespace Aerlo
