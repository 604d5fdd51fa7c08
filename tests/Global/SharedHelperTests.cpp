#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/RegistryHelpers.h"
#include "Platform/SMC/IOKitTypes.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace Aerlo;

namespace {

Foundation::Bundle bundleWith(const std::filesystem::path& folder, const std::string& info)
{
    std::filesystem::create_directories(folder / "Contents");
    std::ofstream(folder / "Contents" / "Info.json") << info;
    return Foundation::Bundle(folder);
}

} // namespace

TEST(BundleInfo, DisplayNameAndVersionFallBackToTheEmptyText)
{
    TempRoot root;
    const struct {
        const char* info;
        const char* name;
        const char* version;
    } cases[] = {
        {R"({"CFBundleDisplayName": "Shown", "CFBundleName": "Plain", "CFBundleShortVersionString": "2.4"})", "Shown",
         "2.4"},
        {R"({"CFBundleName": "Plain", "CFBundleShortVersionString": 2.4})", "Plain", ""},
        {R"({"CFBundleDisplayName": 7, "CFBundleName": "Plain"})", "Plain", ""},
        {R"({"CFBundleDisplayName": null, "CFBundleName": ["x"]})", "", ""},
        {"not json", "", ""},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto bundle = bundleWith(root.path() / ("B" + std::to_string(index++) + ".app"), c.info);
        EXPECT_EQ(bundleDisplayName(bundle), c.name) << c.info;
        EXPECT_EQ(bundleVersion(bundle), c.version) << c.info;
    }
    EXPECT_EQ(appVersion(), appVersionString());
}

TEST(LocalizedStrings, ArgumentsFillObjectPlaceholdersAndIndexesAreReplacedInTurn)
{
    LocalizationTable::setTable(std::map<std::string, std::string> {
        {"pair", "%@ and %@"}, {"percent", "100%% of %@"}, {"indexed", "%0-%1-%2-%0"}});
    EXPECT_EQ(localizedStringArguments("pair", {}), "%@ and %@") << "no arguments: the text as it is";
    EXPECT_EQ(localizedStringArguments("pair", {"A", "B"}), "A and B");
    EXPECT_EQ(localizedStringArguments("pair", {"A"}), "A and ") << "never past the arguments";
    EXPECT_EQ(localizedStringArguments("percent", {"it"}), "100% of it");
    EXPECT_EQ(localizedStringArguments("missing %@", {"x"}), "missing x");
    EXPECT_EQ(localizedString("indexed", {"A", "B"}), "A-B-%2-A");
    LocalizationTable::setTable(std::nullopt);
}

TEST(RegistryHelpers, NamesChildrenAndProperties)
{
    SystemPlatform::RegistryEntry entry;
    entry.name = "IOPlatformExpertDevice";
    entry.properties = {{"model", SystemPlatform::RegistryData {std::string("Mac14,2\0", 8)}}};
    SystemPlatform::RegistryEntry child;
    child.name = "cpu0";
    SystemPlatform::RegistryEntry unnamed;
    unnamed.name = "hidden";
    unnamed.nameFailure = IOKit::kIOReturnNotFound;
    entry.children = {child, unnamed, child};

    ConsoleCapture console;
    EXPECT_EQ(registryEntryName(entry), "IOPlatformExpertDevice");
    EXPECT_EQ(registryChildNames(entry), (std::vector<std::string> {"cpu0", "cpu0"}));
    EXPECT_EQ(registryProperties(entry), entry.properties);
    EXPECT_EQ(console.output(), "");

    EXPECT_EQ(registryEntryName(unnamed), std::nullopt);
    EXPECT_EQ(console.output(), "Error IORegistryEntryGetName(): (iokit/common) data was not found\n");
    unnamed.propertiesFailure = true;
    EXPECT_EQ(registryProperties(unnamed), std::nullopt);
}
