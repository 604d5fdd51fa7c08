#include "Platform/System/AppService.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/AtomicFile.h"
#include "Platform/System/DesktopEntry.h"

namespace SystemPlatform {

namespace fs = std::filesystem;

namespace {

using LoginItem = AppService::Item;

Foundation::LockedValue<AppService::RequestObserver>& requestObserver()
{
    static Foundation::SharedInstance<Foundation::LockedValue<AppService::RequestObserver>> observer;
    return observer.get();
}

void tell(std::string_view call, std::string_view identifier, bool enabled)
{
    const AppService::RequestObserver observer = requestObserver().get();
    if (observer)
        observer(call, identifier, enabled);
}

// The main bundle itself.
std::optional<LoginItem> mainAppItem()
{
    const Foundation::Bundle bundle = Foundation::Bundle::main();
    const auto executable = bundle.executablePath();
    if (!executable || !bundle.bundleIdentifier())
        return std::nullopt;
    const auto name = bundle.object("CFBundleName");
    return LoginItem{name.is_string() ? name.get<std::string>() : bundle.bundlePath().stem().string(), *executable};
}

std::optional<LoginItem> findLoginItem(std::string_view identifier)
{
    if (identifier.empty() || identifier.find('/') != std::string_view::npos)
        return std::nullopt;
    std::error_code error;
    const fs::path folder = Foundation::Bundle::main().bundlePath() / "Contents/Library/LoginItems";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() != ".app" || !it->is_directory(error))
            continue;
        const Foundation::Bundle item(it->path());
        if (item.bundleIdentifier() != identifier)
            continue;
        const auto executable = item.executablePath();
        if (!executable)
            return std::nullopt;
        const auto name = item.object("CFBundleName");
        return LoginItem{name.is_string() ? name.get<std::string>() : it->path().stem().string(), *executable};
    }
    return std::nullopt;
}

fs::path entryPath(std::string_view identifier)
{
    return AppService::autostartFolder() / (std::string(identifier) + ".desktop");
}

} // namespace

AppService AppService::loginItem(std::string_view identifier) { return AppService(std::string(identifier)); }

AppService AppService::mainApp()
{
    AppService service(Foundation::Bundle::main().bundleIdentifier().value_or(""));
    service.mainApp_ = true;
    return service;
}

std::optional<AppService::Item> AppService::item() const
{
    return mainApp_ ? mainAppItem() : findLoginItem(identifier_);
}

fs::path AppService::autostartFolder() { return Foundation::Paths::home() / ".config/autostart"; }

std::optional<std::string> AppService::desktopEntry(std::string_view name, const fs::path& executable)
{
    return DesktopEntry::applicationEntry(name, executable);
}

Foundation::Result<void> AppService::setEnabled(bool enabled) const
{
    const auto item = this->item();
    if (!item)
        return Foundation::Error("No login item has the identifier \"" + identifier_ + "\".");
    const fs::path path = entryPath(identifier_);
    std::error_code error;
    if (!enabled) {
        if (!fs::remove(path, error))
            return Foundation::Error(error ? error.message() : "The login item is not registered.");
        return {};
    }
    const auto entry = desktopEntry(item->name, item->executable);
    if (!entry)
        return Foundation::Error("The login item's name or path cannot be written in an autostart entry.");
    fs::create_directories(path.parent_path(), error);
    return Foundation::AtomicFile::write(path, *entry, 0644);
}

Foundation::Result<void> AppService::register_()
{
    tell("register", identifier_, true);
    return setEnabled(true);
}

Foundation::Result<void> AppService::unregister()
{
    tell("unregister", identifier_, false);
    return setEnabled(false);
}

AppService::Status AppService::status() const
{
    if (!item())
        return Status::notFound;
    std::error_code error;
    return fs::exists(entryPath(identifier_), error) ? Status::enabled : Status::notRegistered;
}

bool AppService::setLoginItemEnabled(std::string_view identifier, bool enabled)
{
    tell("setLoginItemEnabled", identifier, enabled);
    const AppService service{std::string(identifier)};
    if (!enabled && service.status() == Status::notRegistered)
        return true;
    return service.setEnabled(enabled).ok();
}

void AppService::setRequestObserver(RequestObserver observer)
{
    requestObserver().set(std::move(observer));
}

} // namespace SystemPlatform
