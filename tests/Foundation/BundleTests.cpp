#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using Foundation::Bundle;
namespace fs = std::filesystem;

namespace {

class BundleTest : public ::testing::Test {
protected:
    void TearDown() override { Bundle::setMainBundlePath({}); }

    // A bundle tree "<name>.app" in the temporary folder with the given Info.json text (none when empty).
    fs::path makeBundle(const fs::path& where, const std::string& info)
    {
        fs::create_directories(where / "Contents" / "MacOS");
        fs::create_directories(where / "Contents" / "Resources" / "Machines");
        if (!info.empty())
            std::ofstream(where / "Contents" / "Info.json") << info;
        return where;
    }

    void touch(const fs::path& path) { std::ofstream(path) << "x"; }

    TempRoot folder_;
};

const std::string aerloInfo = R"({
  "CFBundleExecutable": "Aerlo",
  "CFBundleIdentifier": "com.norvane.AerloOffline",
  "CFBundleName": "Aerlo",
  "CFBundleShortVersionString": "2.4.0",
  "CFBundleVersion": "240",
  "LSUIElement": true
})";

} // namespace

TEST_F(BundleTest, BundleIsFoundFromTheExecutablePath)
{
    struct Case {
        fs::path executable;
        fs::path bundle;
    };
    const Case cases[] = {
        {"/Applications/Aerlo.app/Contents/MacOS/Aerlo", "/Applications/Aerlo.app"},
        {"/b/Aerlo.app/Contents/Library/LoginItems/AerloControlHelper.app/Contents/MacOS/AerloControlHelper",
         "/b/Aerlo.app/Contents/Library/LoginItems/AerloControlHelper.app"},
        {"/b/Aerlo.app/Contents/Library/LaunchServices/com.norvane.AerloOffline.SMC.Helper", ""},
        {"/b/build/tests/FoundationTests", ""},
        {"/b/Aerlo/Contents/MacOS/Aerlo", ""},
        {"/b/.app/Contents/MacOS/Aerlo", ""},
        {"/b/Aerlo.app/Contents/Resources/Aerlo", ""},
        {"Aerlo", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bundle::bundlePathForExecutable(c.executable), c.bundle) << c.executable;
}

TEST_F(BundleTest, MainBundleOutsideABundleComesFromTheEnvironmentOrTheBuild)
{
    EXPECT_EQ(Bundle::mainBundlePath("/x/Aerlo.app/Contents/MacOS/Aerlo", "/env/Other.app"), "/x/Aerlo.app");
    EXPECT_EQ(Bundle::mainBundlePath("/x/build/bin/smcsim", "/env/Other.app"), "/env/Other.app");
    EXPECT_EQ(Bundle::mainBundlePath("/x/build/bin/smcsim", ""), Bundle::builtInBundlePath());
    EXPECT_EQ(Bundle::builtInBundlePath(), fs::path(AERLO_BINARY_DIR) / "Aerlo.app");

    // This test program lies outside any bundle.
    const char* saved = std::getenv("AERLO_BUNDLE");
    const std::string savedValue = saved ? saved : "";
    const auto bundle = makeBundle(folder_.path() / "Env.app", aerloInfo);
    setenv("AERLO_BUNDLE", bundle.c_str(), 1);
    Bundle::setMainBundlePath({});
    EXPECT_EQ(Bundle::main().bundlePath(), bundle);
    unsetenv("AERLO_BUNDLE");
    EXPECT_EQ(Bundle::main().bundlePath(), bundle); // found once
    Bundle::setMainBundlePath({});
    EXPECT_EQ(Bundle::main().bundlePath(), Bundle::builtInBundlePath());
    if (saved)
        setenv("AERLO_BUNDLE", savedValue.c_str(), 1);
}

TEST_F(BundleTest, InfoDictionaryKeys)
{
    const Bundle bundle(makeBundle(folder_.path() / "Aerlo.app", aerloInfo));
    EXPECT_EQ(bundle.bundleIdentifier(), "com.norvane.AerloOffline");
    EXPECT_EQ(bundle.object("CFBundleShortVersionString"), "2.4.0");
    EXPECT_EQ(bundle.object("CFBundleVersion"), "240");
    EXPECT_EQ(bundle.object("CFBundleName"), "Aerlo");
    EXPECT_EQ(bundle.object("LSUIElement"), true);
    EXPECT_TRUE(bundle.object("CFBundleDisplayName").is_null());
    EXPECT_EQ(bundle.infoDictionary().size(), 6u);
    EXPECT_EQ(bundle.executablePath(), folder_.path() / "Aerlo.app/Contents/MacOS/Aerlo");
    EXPECT_EQ(bundle.resourcePath(), folder_.path() / "Aerlo.app/Contents/Resources");
    EXPECT_EQ(Bundle::infoDictionaryPath(bundle.bundlePath()), folder_.path() / "Aerlo.app/Contents/Info.json");

    Bundle::setMainBundlePath(bundle.bundlePath());
    EXPECT_EQ(Bundle::main().bundleIdentifier(), "com.norvane.AerloOffline");
}

TEST_F(BundleTest, MissingOrCorruptInfoGivesEmptyValues)
{
    const std::string infos[] = {"",
                                 "{\"CFBundleIdentifier\": ",
                                 "[\"CFBundleIdentifier\"]",
                                 "\"text\"",
                                 std::string("{\"CFBundleIdentifier\":\"a\0b\"}", 28),
                                 R"({"CFBundleIdentifier": 7, "CFBundleExecutable": ["Aerlo"]})"};
    int n = 0;
    for (const auto& info : infos) {
        const Bundle bundle(makeBundle(folder_.path() / ("B" + std::to_string(n++) + ".app"), info));
        EXPECT_EQ(bundle.bundleIdentifier(), std::nullopt) << info;
        EXPECT_EQ(bundle.executablePath(), std::nullopt) << info;
        EXPECT_TRUE(bundle.object("CFBundleVersion").is_null()) << info;
        EXPECT_TRUE(bundle.infoDictionary().is_object()) << info;
    }
    const Bundle nowhere(folder_.path() / "Nowhere.app");
    EXPECT_TRUE(nowhere.infoDictionary().empty());
    EXPECT_EQ(nowhere.path("SMC"), std::nullopt);
}

TEST_F(BundleTest, ResourceLookup)
{
    const Bundle bundle(makeBundle(folder_.path() / "Aerlo.app", aerloInfo));
    const auto resources = bundle.resourcePath();
    touch(resources / "SMC");
    touch(resources / "Machines" / "MacBookPro18,3.json");
    touch(resources / "icon.png");
    fs::create_directories(resources / "QVProgressHUD.bundle");

    EXPECT_EQ(bundle.path("SMC"), resources / "SMC");
    EXPECT_EQ(bundle.path("icon", "png"), resources / "icon.png");
    EXPECT_EQ(bundle.path("icon", ".png"), resources / "icon.png");
    EXPECT_EQ(bundle.path("icon.png"), resources / "icon.png");
    EXPECT_EQ(bundle.path("QVProgressHUD", "bundle"), resources / "QVProgressHUD.bundle");
    EXPECT_EQ(bundle.path("Machines/MacBookPro18,3", "json"), resources / "Machines/MacBookPro18,3.json");
    EXPECT_EQ(bundle.url("icon", "png"), resources / "icon.png");

    EXPECT_EQ(bundle.path("icon"), std::nullopt);
    EXPECT_EQ(bundle.path("icon", "jpg"), std::nullopt);
    EXPECT_EQ(bundle.path(""), std::nullopt);
    EXPECT_EQ(bundle.path("", "png"), std::nullopt);
    EXPECT_EQ(bundle.path("../Info", "json"), std::nullopt);
    EXPECT_EQ(bundle.path((resources / "SMC").string()), std::nullopt);
}

TEST_F(BundleTest, TheBuildLaysOutTheApplicationBundle)
{
    const Bundle bundle(fs::path(AERLO_BINARY_DIR) / "Aerlo.app");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.norvane.AerloOffline");
    EXPECT_EQ(bundle.object("CFBundleExecutable"), "Aerlo");
    EXPECT_EQ(bundle.object("CFBundleName"), "Aerlo");
    EXPECT_EQ(bundle.object("CFBundleShortVersionString"), AERLO_PROJECT_VERSION);
    EXPECT_TRUE(bundle.object("CFBundleVersion").is_string());
    EXPECT_FALSE(bundle.object("CFBundleVersion").get<std::string>().empty());

    // Every resource of the source tree is in the bundle, sub-folders kept.
    const fs::path source = fs::path(AERLO_SOURCE_DIR) / "Resources";
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        const auto relative = fs::relative(entry.path(), source);
        if (!entry.is_regular_file() || relative == "CMakeLists.txt" || relative.filename().string().starts_with('.'))
            continue;
        const auto copy = bundle.path(relative.string());
        ASSERT_TRUE(copy) << relative;
        std::ifstream original(entry.path(), std::ios::binary), copied(*copy, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(original), {}),
                  std::string(std::istreambuf_iterator<char>(copied), {}))
            << relative;
    }
}

namespace {

void writeTable(const fs::path& bundle, const std::string& language, const std::string& table, const std::string& json)
{
    const fs::path folder = bundle / "Contents/Resources" / (language + ".lproj");
    fs::create_directories(folder);
    std::ofstream(folder / (table + ".json")) << json;
}

} // namespace

TEST_F(BundleTest, LocalisedStringsComeFromTheTableOfThePreferredLanguage)
{
    const fs::path bundle = makeBundle(folder_.path() / "Strings.app", aerloInfo);
    writeTable(bundle, "en", "Localizable", R"({"greeting": "Hello", "number": 3})");
    writeTable(bundle, "zh-Hans", "Localizable", R"({"greeting": "你好"})");
    writeTable(bundle, "en", "Menu", R"({"greeting": "Hi from the menu"})");
    writeTable(bundle, "en", "Broken", R"({"greeting": )");

    const struct {
        const char* language;
        const char* greeting;
    } languages[] = {{"zh_CN.UTF-8", "你好"}, {"zh", "你好"}, {"en_GB.UTF-8", "Hello"}, {"de_DE", "Hello"}};
    for (const auto& l : languages) {
        ::setenv("LANGUAGE", l.language, 1);
        const Bundle strings(bundle);
        EXPECT_EQ(strings.localizedString("greeting"), l.greeting) << l.language;
    }
    ::setenv("LANGUAGE", "en", 1);
    const Bundle strings(bundle);
    EXPECT_EQ(Bundle::preferredLocalization(), "en");
    EXPECT_EQ(strings.localizedString("missing"), "missing");
    EXPECT_EQ(strings.localizedString("missing", "fallback"), "fallback");
    EXPECT_EQ(strings.localizedString("number"), "number"); // not a text
    EXPECT_EQ(strings.localizedString("greeting", "", "Menu"), "Hi from the menu");
    EXPECT_EQ(strings.localizedString("greeting", "", "Broken"), "greeting");
    EXPECT_EQ(strings.localizedString("greeting", "", "../en.lproj/Localizable"), "greeting");
    // Switching the language at run time takes the other table.
    ::setenv("LANGUAGE", "zh_TW", 1);
    EXPECT_EQ(Bundle::preferredLocalization(), "zh-Hans");
    EXPECT_EQ(strings.localizedString("greeting"), "你好");
    ::unsetenv("LANGUAGE");
}

TEST_F(BundleTest, TheStoredLanguageWinsOverTheEnvironmentAndIsReadOncePerProcess)
{
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    const fs::path bundle = makeBundle(folder_.path() / "Choice.app", aerloInfo);
    fs::create_directories(bundle / "Contents" / "Resources" / "de.lproj");
    Bundle::setMainBundlePath(bundle);
    ::setenv("LANGUAGE", "zh_CN", 1);
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    const struct {
        const char* stored;
        const char* table;
    } cases[] = {{"zh-Hant", "zh-Hans"}, {"en-GB", "en"}, {"de", "de"}, {"fr", "en"}, {"../de", "en"}, {"", "zh-Hans"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(defaults.set(Foundation::PropertyListValue::Array {std::string(c.stored), std::string("en")},
                                 Bundle::appleLanguagesKey));
        TestAccess::resetForTesting<Bundle>();
        EXPECT_EQ(Bundle::preferredLocalization(), c.table) << c.stored;
    }
    // A choice made while running applies at the next start.
    ASSERT_TRUE(defaults.set(Foundation::PropertyListValue::Array {std::string("zh-Hans")}, Bundle::appleLanguagesKey));
    TestAccess::resetForTesting<Bundle>();
    EXPECT_EQ(Bundle::preferredLocalization(), "zh-Hans");
    ASSERT_TRUE(defaults.set(Foundation::PropertyListValue::Array {std::string("en")}, Bundle::appleLanguagesKey));
    EXPECT_EQ(Bundle::preferredLocalization(), "zh-Hans");
    ::unsetenv("LANGUAGE");
    TestAccess::resetForTesting<Foundation::UserDefaults>();
}

TEST_F(BundleTest, TheLocalisedInfoDictionaryAndTheReceiptPath)
{
    const fs::path bundle = makeBundle(folder_.path() / "Info.app", aerloInfo);
    writeTable(bundle, "zh-Hans", "InfoPlist", R"({"CFBundleDisplayName": "风扇", "CFBundleName": 7})");
    ::setenv("LANGUAGE", "zh_CN", 1);
    const Bundle info(bundle);
    EXPECT_EQ(*info.localizedInfoDictionary(), (Bundle::LocalizationTable {{"CFBundleDisplayName", "风扇"}}));
    ::setenv("LANGUAGE", "en_US", 1);
    EXPECT_TRUE(info.localizedInfoDictionary()->empty());
    ::unsetenv("LANGUAGE");
    EXPECT_EQ(info.appStoreReceiptURL(), bundle / "Contents/_MASReceipt/receipt");
}
