#pragma once

#include "Platform/System/SystemExport.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace SystemPlatform {

using OSStatus = std::int32_t;
using AuthorizationFlags = std::uint32_t;

// Status codes of the authorization calls.
inline constexpr OSStatus errAuthorizationSuccess = 0;
inline constexpr OSStatus errAuthorizationInvalidSet = -60001;
inline constexpr OSStatus errAuthorizationInvalidRef = -60002;
inline constexpr OSStatus errAuthorizationDenied = -60005;
inline constexpr OSStatus errAuthorizationCanceled = -60006;
inline constexpr OSStatus errAuthorizationInteractionNotAllowed = -60007;
inline constexpr OSStatus errAuthorizationInternal = -60008;

inline constexpr AuthorizationFlags kAuthorizationFlagDefaults = 0;
inline constexpr AuthorizationFlags kAuthorizationFlagInteractionAllowed = 0x1;
inline constexpr AuthorizationFlags kAuthorizationFlagExtendRights = 0x2;
inline constexpr AuthorizationFlags kAuthorizationFlagPartialRights = 0x4;
inline constexpr AuthorizationFlags kAuthorizationFlagDestroyRights = 0x8;
inline constexpr AuthorizationFlags kAuthorizationFlagPreAuthorize = 0x10;

// The right to install a privileged helper.
inline constexpr std::string_view kSMRightBlessPrivilegedHelper = "com.apple.ServiceManagement.blesshelper";

// One right asked for: its name, an optional value and item flags.
struct AERLO_SYSTEM_EXPORT AuthorizationItem {
    std::string name;
    std::string value;
    std::uint32_t flags = 0;
};

using AuthorizationRights = std::vector<AuthorizationItem>;

// What an authorization reference holds: the rights granted to it, until it is freed.
class AERLO_SYSTEM_EXPORT Authorization {
public:
    explicit Authorization(std::vector<std::string> grantedRights) : rights_(std::move(grantedRights)) {}

    const std::vector<std::string>& grantedRights() const { return rights_; }
    // True while the reference is not freed and holds `right`.
    bool hasRight(std::string_view right) const;
    bool isValid() const { return valid_.load(); }
    void invalidate() { valid_.store(false); }

private:
    std::vector<std::string> rights_;
    std::atomic<bool> valid_ {true};
};

using AuthorizationRef = std::shared_ptr<Authorization>;

struct AERLO_SYSTEM_EXPORT AuthorizationResult {
    OSStatus status = errAuthorizationInternal;
    AuthorizationRef authorization; // set when status is errAuthorizationSuccess
};

// Creates and frees authorization references (AuthorizationCreate / AuthorizationFree).
// The process-wide provider is `shared()`; tests replace it with a scripted one.
class AERLO_SYSTEM_EXPORT AuthorizationProvider {
public:
    virtual ~AuthorizationProvider() = default;

    // A reference holding `rights` (empty: a reference without rights), or a failure status.
    virtual AuthorizationResult create(const AuthorizationRights& rights, AuthorizationFlags flags) = 0;
    // Frees the reference: it holds no right afterwards.
    virtual OSStatus free(const AuthorizationRef& authorization, AuthorizationFlags flags);

    // The provider in use, made on first use from any thread; the default one until replaceShared() is
    // given another. It is handed out shared: a caller's copy keeps its provider alive after a change.
    static std::shared_ptr<AuthorizationProvider> shared();
    // Replaces the provider in use (the program's, or a test's while no other thread asks); nullptr goes
    // back to a fresh default one. The previous provider goes when its last holder lets it go.
    static void replaceShared(std::shared_ptr<AuthorizationProvider> provider);
};

} // namespace SystemPlatform
