#include "Platform/System/AppService.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/AutostartFolder.h"
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
    return LoginItem {name.is_string() ? name.get<std::string>() : bundle.bundlePath().stem().string(), *executable};
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
        return LoginItem {name.is_string() ? name.get<std::string>() : it->path().stem().string(), *executable};
    }
    return std::nullopt;
}

using Occupant = AutostartFolder::Occupant;

// The entries under the identifier's names that start the item; the first free name in `free`.
std::vector<fs::path> ownEntries(std::string_view identifier, const fs::path& executable, fs::path* free = nullptr)
{
    std::vector<fs::path> own;
    for (const fs::path& entry : AutostartFolder::names(identifier)) {
        const Occupant occupant = AutostartFolder::occupant(entry, executable);
        if (occupant == Occupant::starts)
            own.push_back(entry);
        else if (occupant == Occupant::none && free && free->empty())
            *free = entry;
    }
    return own;
}

// Whether the session starts the entry: the desktop's switches off are Hidden and the GNOME key.
bool isActive(const fs::path& entry)
{
    const auto read = DesktopEntry::read(entry);
    return read && !read->isTrue("Hidden") && read->value("X-GNOME-Autostart-enabled") != "false";
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

fs::path AppService::autostartFolder() { return AutostartFolder::path(); }

std::optional<std::string> AppService::desktopEntry(std::string_view name, const fs::path& executable)
{
    return DesktopEntry::applicationEntry(name, executable);
}

Foundation::Result<void> AppService::setEnabled(bool enabled) const
{
    const auto item = this->item();
    if (!item)
        return Foundation::Error("No login item has the identifier \"" + identifier_ + "\".");
    // Only entries that start the item are its own: another program's or the user's entry under the same
    // name, or one that cannot be read, is never removed or replaced.
    fs::path free;
    const std::vector<fs::path> own = ownEntries(identifier_, item->executable, &free);
    std::error_code error;
    if (!enabled) {
        if (own.empty())
            return Foundation::Error("The login item is not registered.");
        for (const fs::path& entry : own)
            if (!fs::remove(entry, error) && error)
                return Foundation::Error(error.message());
        return {};
    }
    const auto entry = desktopEntry(item->name, item->executable);
    if (!entry)
        return Foundation::Error("The login item's name or path cannot be written in an autostart entry.");
    const fs::path path = own.empty() ? free : own.front();
    if (path.empty())
        return Foundation::Error("Every autostart entry name of the login item is taken.");
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
    const auto item = this->item();
    if (!item)
        return Status::notFound;
    for (const fs::path& entry : ownEntries(identifier_, item->executable))
        if (isActive(entry))
            return Status::enabled;
    return Status::notRegistered;
}

bool AppService::setLoginItemEnabled(std::string_view identifier, bool enabled)
{
    tell("setLoginItemEnabled", identifier, enabled);
    const AppService service {std::string(identifier)};
    if (!enabled && service.status() == Status::notRegistered)
        return true;
    return service.setEnabled(enabled).ok();
}

void AppService::setRequestObserver(RequestObserver observer) { requestObserver().set(std::move(observer)); }

} // namespace SystemPlatform
