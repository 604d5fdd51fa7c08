#include "Platform/System/DefaultAuthorizationProvider.h"

#include "Platform/Foundation/Paths.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace SystemPlatform {

DefaultAuthorizationProvider::DefaultAuthorizationProvider(uid_t user) : user_(user) {}

AuthorizationResult DefaultAuthorizationProvider::create(const AuthorizationRights& rights, AuthorizationFlags flags)
{
    for (const auto& item : rights)
        if (item.name.empty())
            return {errAuthorizationInvalidSet, nullptr};
    if (rights.empty() || (flags & kAuthorizationFlagExtendRights) == 0)
        return {errAuthorizationSuccess, std::make_shared<Authorization>(std::vector<std::string>())};

    if (!mayInstallInto(Foundation::Paths::root(), user_))
        return {errAuthorizationDenied, nullptr};

    Confirmation confirmation;
    {
        std::lock_guard lock(mutex_);
        confirmation = confirmation_;
    }
    if (user_ != 0 && confirmation) {
        if ((flags & kAuthorizationFlagInteractionAllowed) == 0)
            return {errAuthorizationInteractionNotAllowed, nullptr};
        switch (confirmation(rights)) {
        case AuthorizationConfirmation::allow:
            break;
        case AuthorizationConfirmation::deny:
            return {errAuthorizationDenied, nullptr};
        case AuthorizationConfirmation::cancel:
            return {errAuthorizationCanceled, nullptr};
        }
    }

    std::vector<std::string> granted;
    granted.reserve(rights.size());
    for (const auto& item : rights)
        granted.push_back(item.name);
    return {errAuthorizationSuccess, std::make_shared<Authorization>(std::move(granted))};
}

void DefaultAuthorizationProvider::setConfirmation(Confirmation confirmation)
{
    std::lock_guard lock(mutex_);
    confirmation_ = std::move(confirmation);
}

bool DefaultAuthorizationProvider::mayInstallInto(const std::filesystem::path& root, uid_t user)
{
    if (user == 0)
        return true;
    if (root.empty())
        return false;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(root, error).lexically_normal();
    if (error)
        return false;
    for (;;) {
        struct stat attributes {};
        if (::stat(folder.c_str(), &attributes) == 0)
            return S_ISDIR(attributes.st_mode) && attributes.st_uid == user;
        if (errno != ENOENT || !folder.has_relative_path())
            return false;
        folder = folder.parent_path();
    }
}

} // namespace SystemPlatform
