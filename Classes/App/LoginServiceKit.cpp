#include "Classes/App/LoginServiceKit.h"

#include "Platform/Foundation/Bundle.h"

namespace Aerlo {

namespace {

using SystemPlatform::SessionLoginItems;

// The one matcher of finding and removing.
bool startsPath(const LoginServiceKit::Item& item, const std::filesystem::path& comparablePath)
{
    return !item.bundle.empty() && item.bundle == comparablePath;
}

std::string mainBundlePath() { return Foundation::Bundle::main().bundlePath().string(); }

} // namespace

std::optional<std::vector<LoginServiceKit::Item>> LoginServiceKit::loginItemsSnapshot()
{
    return SessionLoginItems::snapshot();
}

std::optional<LoginServiceKit::Item> LoginServiceKit::findLoginItem(const std::string& path)
{
    const auto items = loginItemsSnapshot();
    if (!items || path.empty())
        return std::nullopt;
    const std::filesystem::path wanted = SessionLoginItems::comparable(path);
    for (const Item& item : *items)
        if (startsPath(item, wanted))
            return item;
    return std::nullopt;
}

bool LoginServiceKit::addLoginItem(const std::string& path)
{
    if (findLoginItem(path) || !loginItemsSnapshot())
        return false;
    return SessionLoginItems::insert(path);
}

bool LoginServiceKit::removeLoginItem(const std::string& path)
{
    if (!findLoginItem(path))
        return false;
    const auto items = loginItemsSnapshot();
    if (!items)
        return false;
    const std::filesystem::path wanted = SessionLoginItems::comparable(path);
    std::vector<Item> collected;
    for (const Item& item : *items)
        if (startsPath(item, wanted))
            collected.push_back(item);
    // Found a moment ago and gone now: nothing was removed.
    if (collected.empty())
        return false;
    for (const Item& item : collected)
        if (!SessionLoginItems::remove(item))
            return false;
    return true;
}

bool LoginServiceKit::isExistLoginItem() { return findLoginItem(mainBundlePath()).has_value(); }

bool LoginServiceKit::addLoginItem() { return addLoginItem(mainBundlePath()); }

bool LoginServiceKit::removeLoginItem() { return removeLoginItem(mainBundlePath()); }

} // namespace Aerlo
