#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/ToolMap.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using Foundation::Process;
using Foundation::ToolMap;

namespace {

class ToolMapTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<ToolMap>(); }
    void TearDown() override { TestAccess::resetForTesting<ToolMap>(); }

    // An executable script in the temporary folder.
    std::filesystem::path script(const std::string& name, const std::string& body)
    {
        const auto path = folder_.path() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    TempRoot folder_;
};

} // namespace

TEST_F(ToolMapTest, DefaultsPointAtLinuxFallBacksOrNothing)
{
    const bool hasZsh = access("/bin/zsh", X_OK) == 0 || access("/usr/bin/zsh", X_OK) == 0;
    const auto zsh = ToolMap::resolve("/bin/zsh");
    ASSERT_TRUE(zsh);
    EXPECT_EQ(hasZsh, *zsh != "/bin/sh") << *zsh;

    for (const char* same : {"/bin/sh", "/bin/ls", "/bin/kill", "/bin/hostname"})
        EXPECT_EQ(ToolMap::resolve(same), std::optional<std::string>(same)) << same;
    for (const char* macOnly : {"/usr/bin/say", "/usr/bin/codesign", "/usr/sbin/system_profiler", "/usr/bin/top",
                                "/usr/bin/open", "/usr/sbin/sysctl"})
        EXPECT_EQ(ToolMap::resolve(macOnly), std::nullopt) << macOnly;
    EXPECT_EQ(ToolMap::resolve("/usr/bin/env"), std::optional<std::string>("/usr/bin/env"));
}

TEST_F(ToolMapTest, ZshRunsThroughItsFallBack)
{
    Process::Options options;
    options.standardError = Process::Output::standardOutput;
    const auto result = Process::run("/bin/zsh", {"-c", "echo a; echo b 1>&2"}, options);
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.stdout_, "a\nb\n");
}

TEST_F(ToolMapTest, FakesStandInForMacTools)
{
    const auto fake = script("codesign", "printf '<%s>' \"$0\" \"$@\"; echo; echo 'Authority=Apple Development' >&2\n");
    ToolMap::set("/usr/bin/codesign", fake.string());
    const auto result = Process::run("/usr/bin/codesign", {"-dv", "--verbose=4", "/Applications/Aerlo.app"});
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.stdout_, "<" + fake.string() + "><-dv><--verbose=4></Applications/Aerlo.app>\n");
    EXPECT_EQ(result.stderr_, "Authority=Apple Development\n");

    // A program that Linux has can be replaced too, and the replacement taken back.
    ToolMap::set("/bin/ls", fake.string());
    EXPECT_EQ(ToolMap::resolve("/bin/ls"), fake.string());
    ToolMap::set("/bin/ls", "");
    EXPECT_EQ(Process::run("/bin/ls", {}).launchError,
              "Could not launch \"/bin/ls\": the program is not available on this system");
    ToolMap::remove("/bin/ls");
    EXPECT_EQ(ToolMap::resolve("/bin/ls"), "/bin/ls");
    ToolMap::set("/usr/bin/say", fake.string());
    TestAccess::resetForTesting<ToolMap>();
    EXPECT_EQ(ToolMap::resolve("/usr/bin/say"), std::nullopt);
    EXPECT_EQ(ToolMap::resolve("/usr/bin/codesign"), std::nullopt);
}

// An installed bundle carries our stand-ins beside its program; the build's copies are the fall-back.
TEST_F(ToolMapTest, AStandInBesideTheBundlesProgramComesFirst)
{
    const auto bundle = folder_.path() / "Aerlo.app";
    std::filesystem::create_directories(bundle / "Contents/MacOS");
    std::ofstream(bundle / "Contents/Info.json") << R"({"CFBundleExecutable": "Aerlo", "CFBundleIdentifier": "x"})";
    std::ofstream(bundle / "Contents/MacOS/Aerlo") << "";
    Foundation::Bundle::setMainBundlePath(bundle);
    EXPECT_EQ(ToolMap::standIn("top", "/build/bin/top"), "/build/bin/top");
    std::ofstream(bundle / "Contents/MacOS/top") << "";
    EXPECT_EQ(ToolMap::standIn("top", "/build/bin/top"), "/build/bin/top") << "not executable";
    std::filesystem::permissions(bundle / "Contents/MacOS/top", std::filesystem::perms::owner_all);
    EXPECT_EQ(ToolMap::standIn("top", "/build/bin/top"), (bundle / "Contents/MacOS/top").string());
    Foundation::Bundle::setMainBundlePath({});
}
