#pragma once

#include "Platform/System/AuthorizationProvider.h"

#include <deque>
#include <mutex>
#include <vector>

namespace SystemPlatform {

// What a scripted provider answers to one create call.
enum class ScriptedAuthorization { grant, deny, cancel };

// Answers create calls from a script, one outcome per call in order, then `otherwise`; records
// every call. Granting gives a reference with the rights asked for; deny and cancel give
// errAuthorizationDenied and errAuthorizationCanceled.
class ScriptedAuthorizationProvider : public AuthorizationProvider {
public:
    struct Call {
        AuthorizationRights rights;
        AuthorizationFlags flags = 0;
    };

    explicit ScriptedAuthorizationProvider(ScriptedAuthorization otherwise = ScriptedAuthorization::grant);

    AuthorizationResult create(const AuthorizationRights& rights, AuthorizationFlags flags) override;
    OSStatus free(const AuthorizationRef& authorization, AuthorizationFlags flags) override;

    // Appends outcomes for the next calls.
    void script(std::initializer_list<ScriptedAuthorization> outcomes);
    void setOtherwise(ScriptedAuthorization outcome);

    std::vector<Call> calls() const;
    // The flags of every free call, in order.
    std::vector<AuthorizationFlags> frees() const;

private:
    mutable std::mutex mutex_;
    std::deque<ScriptedAuthorization> script_;
    ScriptedAuthorization otherwise_;
    std::vector<Call> calls_;
    std::vector<AuthorizationFlags> frees_;
};

} // namespace SystemPlatform
