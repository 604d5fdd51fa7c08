#include "Platform/Foundation/Paths.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"

#include <cstdlib>
#include <gtest/gtest.h>

using Foundation::Paths;

TEST(Paths, MacLocationsLieUnderTheRoot)
{
    TempRoot root;
    const auto home = root.path() / "Users" / Paths::userName();
    EXPECT_EQ(Paths::home(), home);
    EXPECT_EQ(Paths::documents(), home / "Documents");
    EXPECT_EQ(Paths::library(), home / "Library");
    EXPECT_EQ(Paths::preferences(), home / "Library" / "Preferences");
    EXPECT_EQ(Paths::applications(), root.path() / "Applications");
    EXPECT_EQ(Paths::privilegedHelperTools(), root.path() / "Library" / "PrivilegedHelperTools");
    EXPECT_EQ(Paths::resolve("/Library/PrivilegedHelperTools/x"), root.path() / "Library/PrivilegedHelperTools/x");
    EXPECT_EQ(Paths::resolve("~/Documents/log.txt"), home / "Documents/log.txt");
    EXPECT_EQ(Paths::resolve("relative/file"), std::filesystem::path("relative/file"));
}

TEST(Paths, RootComesFromTheEnvironmentUnlessSet)
{
    const char* saved = std::getenv("AERLO_ROOT");
    const std::string savedValue = saved ? saved : "";
    setenv("AERLO_ROOT", "/tmp/aerlo-env-root", 1);
    EXPECT_EQ(Paths::root(), std::filesystem::path("/tmp/aerlo-env-root"));
    {
        TempRoot root;
        EXPECT_EQ(Paths::root(), root.path());
    }
    EXPECT_EQ(Paths::root(), std::filesystem::path("/tmp/aerlo-env-root"));
    unsetenv("AERLO_ROOT");
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(Paths::root(), std::filesystem::path("/tmp/xdg/aerlo/root"));
    unsetenv("XDG_DATA_HOME");
    if (saved)
        setenv("AERLO_ROOT", savedValue.c_str(), 1);
}

TEST(Paths, TheDesktopsConfigurationFolderIsOutsideTheRoot)
{
    TempRoot root;
    ScopedEnvironment home("HOME", "/tmp/aerlo-home");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/aerlo-config");
        EXPECT_EQ(Paths::configHome(), std::filesystem::path("/tmp/aerlo-config"));
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(Paths::configHome(), std::filesystem::path("/tmp/aerlo-home/.config"))
            << "a relative value is ignored";
    }
    ScopedEnvironment config("XDG_CONFIG_HOME", "");
    EXPECT_EQ(Paths::configHome(), std::filesystem::path("/tmp/aerlo-home/.config"));
}
