#include "Platform/System/AuthorizationProvider.h"
#include "Platform/System/DefaultAuthorizationProvider.h"
#include "tests/Support/System/ScriptedAuthorizationProvider.h"
#include "tests/Support/TempRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace SystemPlatform;

namespace {

const AuthorizationRights blessRights {{std::string(kSMRightBlessPrivilegedHelper), "", 0}};
constexpr AuthorizationFlags loadingFlags =
    kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize;

// A user other than root who owns the temporary root.
uid_t makeNonRootOwner(const TempRoot& root)
{
    if (::geteuid() != 0)
        return ::geteuid();
    constexpr uid_t owner = 4242;
    EXPECT_EQ(::chown(root.path().c_str(), owner, static_cast<gid_t>(-1)), 0);
    return owner;
}

} // namespace

TEST(ScriptedAuthorizationProviderTests, AnswersEachCallFromTheScriptThenOtherwise)
{
    ScriptedAuthorizationProvider provider(ScriptedAuthorization::deny);
    provider.script({ScriptedAuthorization::grant, ScriptedAuthorization::deny, ScriptedAuthorization::cancel});

    const auto granted = provider.create(blessRights, loadingFlags);
    const auto denied = provider.create(blessRights, loadingFlags);
    const auto cancelled = provider.create(blessRights, loadingFlags);
    const auto otherwise = provider.create({}, kAuthorizationFlagPreAuthorize);

    EXPECT_EQ(granted.status, errAuthorizationSuccess);
    ASSERT_TRUE(granted.authorization);
    EXPECT_TRUE(granted.authorization->hasRight(kSMRightBlessPrivilegedHelper));
    EXPECT_EQ(denied.status, errAuthorizationDenied);
    EXPECT_FALSE(denied.authorization);
    EXPECT_EQ(cancelled.status, errAuthorizationCanceled);
    EXPECT_FALSE(cancelled.authorization);
    EXPECT_EQ(otherwise.status, errAuthorizationDenied);

    const auto calls = provider.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].flags, 0x13u);
    ASSERT_EQ(calls[0].rights.size(), 1u);
    EXPECT_EQ(calls[0].rights[0].name, "com.apple.ServiceManagement.blesshelper");
    EXPECT_EQ(calls[3].flags, 0x10u);
    EXPECT_TRUE(calls[3].rights.empty());
}

TEST(ScriptedAuthorizationProviderTests, FreeRecordsItsFlagsAndTakesTheRightsAway)
{
    ScriptedAuthorizationProvider provider;
    const auto result = provider.create(blessRights, loadingFlags);
    ASSERT_TRUE(result.authorization);

    EXPECT_EQ(provider.free(result.authorization, kAuthorizationFlagDefaults), errAuthorizationSuccess);
    EXPECT_FALSE(result.authorization->hasRight(kSMRightBlessPrivilegedHelper));
    EXPECT_FALSE(result.authorization->isValid());
    EXPECT_EQ(provider.free(nullptr, kAuthorizationFlagDefaults), errAuthorizationInvalidRef);
    EXPECT_EQ(provider.frees(), (std::vector<AuthorizationFlags> {0, 0}));
}

TEST(DefaultAuthorizationProviderTests, EmptyReferencesAndReferencesWithoutExtendingAreAlwaysGivenWithoutRights)
{
    TempRoot root;
    const uid_t stranger = 4243;
    DefaultAuthorizationProvider provider(stranger);
    int asked = 0;
    provider.setConfirmation([&](const AuthorizationRights&) {
        ++asked;
        return AuthorizationConfirmation::deny;
    });

    const auto empty = provider.create({}, kAuthorizationFlagPreAuthorize);
    EXPECT_EQ(empty.status, errAuthorizationSuccess);
    ASSERT_TRUE(empty.authorization);
    EXPECT_TRUE(empty.authorization->grantedRights().empty());

    const auto notExtended =
        provider.create(blessRights, kAuthorizationFlagInteractionAllowed | kAuthorizationFlagPreAuthorize);
    EXPECT_EQ(notExtended.status, errAuthorizationSuccess);
    ASSERT_TRUE(notExtended.authorization);
    EXPECT_FALSE(notExtended.authorization->hasRight(kSMRightBlessPrivilegedHelper));
    EXPECT_EQ(asked, 0);

    EXPECT_EQ(provider.create({{"", "", 0}}, loadingFlags).status, errAuthorizationInvalidSet);
}

TEST(DefaultAuthorizationProviderTests, GrantsTheOwnerOfTheRootAndRootAndDeniesEveryoneElse)
{
    TempRoot root;
    const uid_t owner = makeNonRootOwner(root);

    const auto ownerResult = DefaultAuthorizationProvider(owner).create(blessRights, loadingFlags);
    EXPECT_EQ(ownerResult.status, errAuthorizationSuccess);
    ASSERT_TRUE(ownerResult.authorization);
    EXPECT_TRUE(ownerResult.authorization->hasRight(kSMRightBlessPrivilegedHelper));

    const auto strangerResult = DefaultAuthorizationProvider(owner + 1).create(blessRights, loadingFlags);
    EXPECT_EQ(strangerResult.status, errAuthorizationDenied);
    EXPECT_FALSE(strangerResult.authorization);

    // Root is never asked, even when a confirmation would refuse.
    DefaultAuthorizationProvider superuser(0);
    superuser.setConfirmation([](const AuthorizationRights&) { return AuthorizationConfirmation::deny; });
    const auto rootResult = superuser.create(blessRights, loadingFlags);
    EXPECT_EQ(rootResult.status, errAuthorizationSuccess);
    ASSERT_TRUE(rootResult.authorization);
    EXPECT_TRUE(rootResult.authorization->hasRight(kSMRightBlessPrivilegedHelper));
}

TEST(DefaultAuthorizationProviderTests, TheOwnerIsAskedWhenAConfirmationIsSet)
{
    TempRoot root;
    const uid_t owner = makeNonRootOwner(root);
    const struct {
        AuthorizationConfirmation answer;
        AuthorizationFlags flags;
        OSStatus status;
        int asked;
    } cases[] = {
        {AuthorizationConfirmation::allow, loadingFlags, errAuthorizationSuccess, 1},
        {AuthorizationConfirmation::deny, loadingFlags, errAuthorizationDenied, 1},
        {AuthorizationConfirmation::cancel, loadingFlags, errAuthorizationCanceled, 1},
        {AuthorizationConfirmation::allow, kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize,
         errAuthorizationInteractionNotAllowed, 0},
    };
    for (const auto& c : cases) {
        DefaultAuthorizationProvider provider(owner);
        int asked = 0;
        std::string askedFor;
        provider.setConfirmation([&](const AuthorizationRights& rights) {
            ++asked;
            askedFor = rights.empty() ? "" : rights[0].name;
            return c.answer;
        });
        const auto result = provider.create(blessRights, c.flags);
        SCOPED_TRACE(static_cast<int>(c.answer));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(static_cast<bool>(result.authorization), c.status == errAuthorizationSuccess);
        EXPECT_EQ(asked, c.asked);
        if (c.asked) {
            EXPECT_EQ(askedFor, kSMRightBlessPrivilegedHelper);
        }
    }
}

TEST(DefaultAuthorizationProviderTests, AMissingRootCountsAsItsNearestExistingParent)
{
    TempRoot root;
    const uid_t owner = makeNonRootOwner(root);

    const auto missing = root.path() / "not" / "made" / "yet";
    EXPECT_TRUE(DefaultAuthorizationProvider::mayInstallInto(missing, owner));
    EXPECT_FALSE(DefaultAuthorizationProvider::mayInstallInto(missing, owner + 1));
    EXPECT_TRUE(DefaultAuthorizationProvider::mayInstallInto(missing, 0));

    const auto file = root.path() / "file";
    std::ofstream(file) << "x";
    ASSERT_EQ(::chown(file.c_str(), owner, static_cast<gid_t>(-1)), 0);
    EXPECT_FALSE(DefaultAuthorizationProvider::mayInstallInto(file, owner));
    EXPECT_FALSE(DefaultAuthorizationProvider::mayInstallInto(file / "below", owner));
}

TEST(AuthorizationProviderTests, TheSharedProviderCanBeReplacedAndReset)
{
    const auto original = AuthorizationProvider::shared();
    EXPECT_TRUE(std::dynamic_pointer_cast<DefaultAuthorizationProvider>(original));

    auto scripted = std::make_shared<ScriptedAuthorizationProvider>(ScriptedAuthorization::cancel);
    AuthorizationProvider::replaceShared(scripted);
    EXPECT_EQ(AuthorizationProvider::shared(), scripted);
    EXPECT_EQ(AuthorizationProvider::shared()->create(blessRights, loadingFlags).status, errAuthorizationCanceled);

    AuthorizationProvider::replaceShared(nullptr);
    EXPECT_TRUE(std::dynamic_pointer_cast<DefaultAuthorizationProvider>(AuthorizationProvider::shared()));
}
