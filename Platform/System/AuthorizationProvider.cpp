#include "Platform/System/AuthorizationProvider.h"

#include "Platform/System/DefaultAuthorizationProvider.h"

#include "Platform/Foundation/SharedInstance.h"

#include <algorithm>

namespace SystemPlatform {

namespace {

Foundation::SharedInstance<std::shared_ptr<AuthorizationProvider>>& sharedInstance()
{
    static Foundation::SharedInstance<std::shared_ptr<AuthorizationProvider>> instance(
        [] { return std::make_shared<DefaultAuthorizationProvider>(); });
    return instance;
}

} // namespace

bool Authorization::hasRight(std::string_view right) const
{
    return isValid() && std::find(rights_.begin(), rights_.end(), right) != rights_.end();
}

OSStatus AuthorizationProvider::free(const AuthorizationRef& authorization, AuthorizationFlags)
{
    if (!authorization)
        return errAuthorizationInvalidRef;
    authorization->invalidate();
    return errAuthorizationSuccess;
}

std::shared_ptr<AuthorizationProvider> AuthorizationProvider::shared()
{
    return sharedInstance().get();
}

void AuthorizationProvider::replaceShared(std::shared_ptr<AuthorizationProvider> provider)
{
    sharedInstance().replace(std::move(provider));
}

} // namespace SystemPlatform
