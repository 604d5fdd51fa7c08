#include "Platform/System/AppService.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/System/AtomicFile.h"

#include <mutex>

namespace SystemPlatform {

namespace fs = std::filesystem;

namespace {

struct LoginItem {
    std::string name;
    fs::path executable;
};

std::mutex observerMutex;
AppService::RequestObserver requestObserver;

void tell(std::string_view call, std::string_view identifier, bool enabled)
{
    AppService::RequestObserver observer;
    {
        std::lock_guard lock(observerMutex);
        observer = requestObserver;
    }
    if (observer)
        observer(call, identifier, enabled);
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

bool hasControlCharacter(std::string_view text)
{
    for (const unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// An argument of an Exec= line: in double quotes, with the quoting's own backslash escapes, then the
// entry's string escape for backslashes and "%%" for a percent sign (field codes).
std::string quotedExecArgument(std::string_view argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\";
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\";
            break;
        case '%':
            quoted += "%%";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

AppService AppService::loginItem(std::string_view identifier) { return AppService(std::string(identifier)); }

fs::path AppService::autostartFolder() { return Foundation::Paths::home() / ".config/autostart"; }

std::optional<std::string> AppService::desktopEntry(std::string_view name, const fs::path& executable)
{
    const std::string program = executable.string();
    if (hasControlCharacter(name) || hasControlCharacter(program))
        return std::nullopt;
    std::string escapedName;
    for (const char c : name)
        escapedName += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + escapedName + "\n"
           "Exec=" + quotedExecArgument(program) + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

Foundation::Result<void> AppService::setEnabled(bool enabled) const
{
    const auto item = findLoginItem(identifier_);
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
    return AtomicFile::write(path, *entry, 0644);
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
    if (!findLoginItem(identifier_))
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
    std::lock_guard lock(observerMutex);
    requestObserver = std::move(observer);
}

} // namespace SystemPlatform
