#pragma once

#include "Platform/System/AuthorizationProvider.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <unistd.h>

namespace SystemPlatform {

// The user's answer to a request for rights.
enum class AuthorizationConfirmation { allow, deny, cancel };

// The application's provider. Rights are granted to root, and to the owner of the root folder
// (Foundation::Paths::root(), or its nearest existing parent while it does not exist yet); anyone
// else is denied. When a confirmation is set, the owner is asked first (root never is).
// A reference without rights, or created without kAuthorizationFlagExtendRights, holds no right
// and is always given.
class AERLO_SYSTEM_EXPORT DefaultAuthorizationProvider : public AuthorizationProvider {
public:
    using Confirmation = std::function<AuthorizationConfirmation(const AuthorizationRights&)>;

    // `user`: whose rights are asked for (the process's effective user unless a test says otherwise).
    explicit DefaultAuthorizationProvider(uid_t user = ::geteuid());

    AuthorizationResult create(const AuthorizationRights& rights, AuthorizationFlags flags) override;

    // Asked before rights are granted to a user who is not root; needs kAuthorizationFlagInteractionAllowed.
    void setConfirmation(Confirmation confirmation);

    // True when `user` is root or owns `root` (or its nearest existing parent folder).
    static bool mayInstallInto(const std::filesystem::path& root, uid_t user);

private:
    uid_t user_;
    std::mutex mutex_;
    Confirmation confirmation_;
};

} // namespace SystemPlatform
