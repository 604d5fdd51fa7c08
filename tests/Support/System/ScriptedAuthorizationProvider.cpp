#include "tests/Support/System/ScriptedAuthorizationProvider.h"

namespace SystemPlatform {

ScriptedAuthorizationProvider::ScriptedAuthorizationProvider(ScriptedAuthorization otherwise) : otherwise_(otherwise) {}

AuthorizationResult ScriptedAuthorizationProvider::create(const AuthorizationRights& rights, AuthorizationFlags flags)
{
    ScriptedAuthorization outcome;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back({rights, flags});
        outcome = otherwise_;
        if (!script_.empty()) {
            outcome = script_.front();
            script_.pop_front();
        }
    }
    switch (outcome) {
    case ScriptedAuthorization::deny:
        return {errAuthorizationDenied, nullptr};
    case ScriptedAuthorization::cancel:
        return {errAuthorizationCanceled, nullptr};
    case ScriptedAuthorization::grant:
        break;
    }
    std::vector<std::string> granted;
    for (const auto& item : rights)
        granted.push_back(item.name);
    return {errAuthorizationSuccess, std::make_shared<Authorization>(std::move(granted))};
}

OSStatus ScriptedAuthorizationProvider::free(const AuthorizationRef& authorization, AuthorizationFlags flags)
{
    {
        std::lock_guard lock(mutex_);
        frees_.push_back(flags);
    }
    return AuthorizationProvider::free(authorization, flags);
}

void ScriptedAuthorizationProvider::script(std::initializer_list<ScriptedAuthorization> outcomes)
{
    std::lock_guard lock(mutex_);
    script_.insert(script_.end(), outcomes.begin(), outcomes.end());
}

void ScriptedAuthorizationProvider::setOtherwise(ScriptedAuthorization outcome)
{
    std::lock_guard lock(mutex_);
    otherwise_ = outcome;
}

std::vector<ScriptedAuthorizationProvider::Call> ScriptedAuthorizationProvider::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<AuthorizationFlags> ScriptedAuthorizationProvider::frees() const
{
    std::lock_guard lock(mutex_);
    return frees_;
}

} // namespace SystemPlatform
