#include "Platform/Foundation/Bundle.h"
#include "QVToolsKit/QVAppEnvironmentDetector.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using QVToolsKit::QVAppEnvironmentDetector;
using QVToolsKit::QVAppRunEnvironment;
namespace fs = std::filesystem;

namespace {

// A fake codesign that prints `report` on standard error (as the real one does) and exits with `status`.
std::string codesignBody(const std::string& report, int status = 0)
{
    return "cat >&2 <<'REPORT'\n" + report + "\nREPORT\nexit " + std::to_string(status);
}

TEST(QVAppRunEnvironment, RawValuesMatchExactly)
{
    const std::pair<QVAppRunEnvironment, const char*> cases[] = {
        {QVAppRunEnvironment::appStore, "App store"},       {QVAppRunEnvironment::testFlight, "TestFlight"},
        {QVAppRunEnvironment::developerID, "Developer ID"}, {QVAppRunEnvironment::adHoc, "Ad Hoc"},
        {QVAppRunEnvironment::development, "Development"},  {QVAppRunEnvironment::other, "Other"},
    };
    for (const auto& [environment, text] : cases) {
        EXPECT_EQ(rawValue(environment), text);
        EXPECT_EQ(QVToolsKit::makeQVAppRunEnvironment(text), environment);
    }
    EXPECT_FALSE(QVToolsKit::makeQVAppRunEnvironment("App Store"));
    EXPECT_FALSE(QVToolsKit::makeQVAppRunEnvironment("other"));
    EXPECT_FALSE(QVToolsKit::makeQVAppRunEnvironment(""));
}

TEST(QVAppEnvironmentDetector, ClassifiesTheFirstKnownAuthority)
{
    const std::pair<const char*, QVAppRunEnvironment> cases[] = {
        {"Authority=Apple Mac OS Application Signing\nAuthority=Apple Worldwide Developer Relations Certification "
         "Authority\nAuthority=Apple Root CA",
         QVAppRunEnvironment::appStore},
        {"Authority=TestFlight Beta Distribution", QVAppRunEnvironment::testFlight},
        {"Authority=Developer ID Application: Norvane Ltd (AB12CD34EF)\nAuthority=Developer ID Certification "
         "Authority",
         QVAppRunEnvironment::developerID},
        {"Authority=Apple Distribution: Someone (X)", QVAppRunEnvironment::adHoc},
        {"Authority=Apple Development: dev@example.com (Y)", QVAppRunEnvironment::development},
        {"Authority=Unknown CA\nAuthority=Apple Development: late (Z)", QVAppRunEnvironment::development},
        {"Authority=Apple Distribution: first\nAuthority=Apple Mac OS Application Signing", QVAppRunEnvironment::adHoc},
        {"Authority=Odd=Developer ID Application: after the last equals", QVAppRunEnvironment::developerID},
        {"Authority=Developer ID Application=Someone", QVAppRunEnvironment::other},
        {"Executable=/x\nIdentifier=com.norvane\nSignature=adhoc", QVAppRunEnvironment::other},
        {"Identifier=x\n Authority=Apple Mac OS Application Signing", QVAppRunEnvironment::other},
        {"Authority=apple mac os application signing", QVAppRunEnvironment::other},
    };
    TempRoot root;
    for (const auto& [report, expected] : cases) {
        FakeTool codesign(root.path(), "/usr/bin/codesign", codesignBody(report));
        ConsoleCapture console;
        EXPECT_EQ(QVAppEnvironmentDetector::currentEnvironment(), expected) << report;
        EXPECT_EQ(console.output(), "") << report;
    }
}

TEST(QVAppEnvironmentDetector, PassesTheMainBundleToTheTool)
{
    TempRoot root;
    const fs::path arguments = root.path() / "arguments";
    FakeTool codesign(root.path(), "/usr/bin/codesign", "printf '%s|' \"$@\" > '" + arguments.string() + "'");
    (void)QVAppEnvironmentDetector::currentEnvironment();
    EXPECT_EQ(readText(arguments), "-dv|--verbose=4|" + Foundation::Bundle::main().bundlePath().string() + "|");
}

TEST(QVAppEnvironmentDetector, AFailingToolPrintsItsOutputAndGivesOther)
{
    TempRoot root;
    {
        FakeTool codesign(root.path(), "/usr/bin/codesign",
                          codesignBody("  x.app: code object is not signed at all\n", 1));
        ConsoleCapture console;
        EXPECT_EQ(QVAppEnvironmentDetector::currentEnvironment(), QVAppRunEnvironment::other);
        EXPECT_EQ(console.lines(),
                  std::vector<std::string> {"❌ detectEnvironment error: x.app: code object is not signed at all"});
    }
    {
        // Not available here (the default): it cannot start, which counts as exit −1.
        ConsoleCapture console;
        EXPECT_EQ(QVAppEnvironmentDetector::currentEnvironment(), QVAppRunEnvironment::other);
        expectOneLineStartingWith(console, "❌ detectEnvironment error: Command execution failed: ");
    }
}

TEST(QVAppEnvironmentDetector, IsTestingIsDecidedOnceByOneOrTwoRuns)
{
    TempRoot root;
    const fs::path runs = root.path() / "runs";
    const auto countingBody = [&](const std::string& report) {
        return "echo run >> '" + runs.string() + "'\n" + codesignBody(report);
    };
    const auto runCount = [&] {
        std::ifstream in(runs);
        int count = 0;
        for (std::string line; std::getline(in, line);)
            ++count;
        fs::remove(runs);
        return count;
    };

    TestAccess::resetForTesting<QVAppEnvironmentDetector>();
    {
        FakeTool codesign(root.path(), "/usr/bin/codesign", countingBody("Authority=TestFlight Beta Distribution"));
        EXPECT_TRUE(QVAppEnvironmentDetector::shared().IsTesting());
        EXPECT_EQ(runCount(), 1);
    }
    TestAccess::resetForTesting<QVAppEnvironmentDetector>();
    {
        FakeTool codesign(root.path(), "/usr/bin/codesign", countingBody("Authority=Apple Development: me"));
        EXPECT_TRUE(QVAppEnvironmentDetector::shared().IsTesting());
        EXPECT_EQ(runCount(), 2);
    }
    TestAccess::resetForTesting<QVAppEnvironmentDetector>();
    {
        FakeTool codesign(root.path(), "/usr/bin/codesign", countingBody("Authority=Apple Mac OS Application Signing"));
        EXPECT_FALSE(QVAppEnvironmentDetector::shared().IsTesting());
        EXPECT_EQ(runCount(), 2);
    }
    {
        // Re-signed while running: the shared value keeps what it decided.
        FakeTool codesign(root.path(), "/usr/bin/codesign", countingBody("Authority=TestFlight Beta Distribution"));
        EXPECT_FALSE(QVAppEnvironmentDetector::shared().IsTesting());
        EXPECT_EQ(runCount(), 0);
    }
    TestAccess::resetForTesting<QVAppEnvironmentDetector>();
}

} // namespace
