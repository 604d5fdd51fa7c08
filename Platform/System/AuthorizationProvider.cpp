#include "Platform/System/AuthorizationProvider.h"

#include "Platform/System/DefaultAuthorizationProvider.h"

#include <algorithm>
#include <mutex>

namespace SystemPlatform {

namespace {

struct SharedState {
    std::mutex mutex;
    std::shared_ptr<AuthorizationProvider> provider;
};

SharedState& sharedState()
{
    static SharedState state;
    return state;
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
    SharedState& state = sharedState();
    std::lock_guard lock(state.mutex);
    if (!state.provider)
        state.provider = std::make_shared<DefaultAuthorizationProvider>();
    return state.provider;
}

void AuthorizationProvider::setShared(std::shared_ptr<AuthorizationProvider> provider)
{
    SharedState& state = sharedState();
    std::lock_guard lock(state.mutex);
    state.provider = std::move(provider);
}

} // namespace SystemPlatform
