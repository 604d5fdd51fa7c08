#include "Platform/Foundation/Bundle.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Screen.h"
#include "Platform/System/ConsoleUser.h"
#include "Platform/System/IORegistry.h"
#include "QVToolsKit/UI/CGRectExtension.h"
#include "QVToolsKit/UI/DisplayConstants.h"
#include "QVToolsKit/FileManagerExtension.h"
#include "QVToolsKit/UI/ModifierFlags.h"
#include "QVToolsKit/ModuleConstants.h"
#include "QVToolsKit/NumberStrings.h"
#include "QVToolsKit/OnceValue.h"
#include "tests/QVToolsKit/DefaultsScope.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <unistd.h>

using namespace QVToolsKit;
using Kit::Event;
namespace fs = std::filesystem;

TEST(ModifierFlagTests, TheFourKeysAndTheirCodes)
{
    const Kit::ModifierFlags capsLock = Event::capsLock;
    EXPECT_FALSE(isModifierFlags(capsLock));
    EXPECT_TRUE(isModifierFlags(Event::shift | capsLock));
    EXPECT_FALSE(isModifierFlags(Event::function | Event::numericPad));
    for (const Kit::ModifierFlags key : {Event::shift, Event::control, Event::option, Event::command})
        EXPECT_TRUE(isModifierFlags(key | Event::option));
    // Every non-empty combination of the four keys counts.
    for (Kit::ModifierFlags bits = 1; bits < 16; ++bits)
        EXPECT_TRUE(isModifierFlags(bits << 17)) << bits;

    EXPECT_FALSE(ModifierFlagsEqual(0, 0));
    EXPECT_FALSE(ModifierFlagsEqual(capsLock, capsLock));
    EXPECT_TRUE(ModifierFlagsEqual(Event::shift | capsLock, Event::shift | Event::function));
    EXPECT_FALSE(ModifierFlagsEqual(Event::shift, Event::shift | Event::command));

    EXPECT_TRUE(IsShiftModifierFlags(Event::shift | capsLock));
    EXPECT_FALSE(IsShiftModifierFlags(Event::shift | Event::control));
    EXPECT_TRUE(IsControlModifierFlags(Event::control));
    EXPECT_TRUE(IsOptionModifierFlags(Event::option | Event::numericPad));
    EXPECT_TRUE(IsCommandModifierFlags(Event::command));
    EXPECT_FALSE(IsCommandModifierFlags(Event::option));

    EXPECT_TRUE(ModifierFlagsContain(0, 0));
    EXPECT_TRUE(ModifierFlagsContain(Event::shift, 0));
    EXPECT_TRUE(ModifierFlagsContain(Event::shift | capsLock, capsLock)); // no reduction here
    EXPECT_FALSE(ModifierFlagsContain(Event::shift, Event::shift | Event::command));

    const struct {
        std::uint16_t code;
        bool shift, control, option, command;
    } codes[] = {
        {56, true, false, false, false}, {60, true, false, false, false},  {59, false, true, false, false},
        {62, false, true, false, false}, {58, false, false, true, false},  {61, false, false, true, false},
        {54, false, false, false, true}, {55, false, false, false, true},  {57, false, false, false, false},
        {63, false, false, false, false}, {0, false, false, false, false},
    };
    for (const auto& c : codes) {
        EXPECT_EQ(IsShiftKeyCode(c.code), c.shift) << c.code;
        EXPECT_EQ(IsControlKeyCode(c.code), c.control) << c.code;
        EXPECT_EQ(IsOptionKeyCode(c.code), c.option) << c.code;
        EXPECT_EQ(IsCommandKeyCode(c.code), c.command) << c.code;
    }
}

TEST(ModifierFlagTests, QuartzFlagsConvertToTheFourKeysOnly)
{
    using Kit::CGEventFlag;
    EXPECT_EQ(MODIFIER_MASK, 0x1E0000u);
    const Kit::CGEventFlags all = CGEventFlag::maskShift | CGEventFlag::maskControl | CGEventFlag::maskAlternate
                                  | CGEventFlag::maskCommand | CGEventFlag::maskAlphaShift
                                  | CGEventFlag::maskSecondaryFn | (Kit::CGEventFlags(1) << 40);
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(all), MODIFIER_MASK);
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(CGEventFlag::maskAlternate), Event::option);
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(CGEventFlag::maskAlphaShift), 0u);
    EXPECT_TRUE(
        CGEventFlagsEqualToModifierFlags(CGEventFlag::maskCommand | CGEventFlag::maskAlphaShift, Event::command));
    // The comparison is in full: a caps-lock bit on the modifier side never matches.
    EXPECT_FALSE(CGEventFlagsEqualToModifierFlags(CGEventFlag::maskCommand, Event::command | Event::capsLock));
    EXPECT_TRUE(CGEventFlagsEqualToModifierFlags(0, 0));
    EXPECT_TRUE(CGEventMatchesModifierFlags(Kit::CGEvent(CGEventFlag::maskShift | CGEventFlag::maskControl),
                                            Event::shift | Event::control));
    EXPECT_FALSE(CGEventMatchesModifierFlags(Kit::CGEvent(CGEventFlag::maskShift), Event::control));
}

TEST(NumberStringTests, IntegersFloatsAndPrices)
{
    EXPECT_EQ(stringFromInt(-42), "-42");
    EXPECT_EQ(stringFromInteger(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(stringFromUInt(0), "0");
    EXPECT_EQ(stringFromUInteger(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");

    const struct {
        float value;
        const char* text;
    } floats[] = {
        {2.0f, "2.0"},         {3.5f, "3.5"},          {0.1f, "0.1"},         {-2.5f, "-2.5"},
        {1e8f, "1e+08"},       {1e-5f, "1e-05"},       {0.0001f, "0.0001"},   {16777216.0f, "16777216.0"},
        {16777218.0f, "1.6777218e+07"}, {1e7f, "10000000.0"}, {0.0f, "0.0"},  {-0.0f, "-0.0"},
        {INFINITY, "inf"},     {-INFINITY, "-inf"},    {NAN, "nan"},          {3.4028235e38f, "3.4028235e+38"},
    };
    for (const auto& f : floats)
        EXPECT_EQ(stringFromFloat(f.value), f.text) << f.text;

    EXPECT_EQ(stringFromFloatPrice(2.675f), "2.67");
    EXPECT_EQ(stringFromFloatPrice(0.005f), "0.00");
    EXPECT_EQ(stringFromFloatPrice(-1.234f), "-1.23");
    EXPECT_EQ(stringFromFloatPrice(1234567.0f), "1234567.00");
}

namespace {

class ScreenScope {
public:
    explicit ScreenScope(std::vector<Kit::Screen::Description> screens)
    {
        Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::move(screens)));
        TestAccess::resetForTesting<OnceValue>();
    }
    ~ScreenScope()
    {
        Kit::Screen::replaceProvider(nullptr);
        TestAccess::resetForTesting<OnceValue>();
    }

    static Kit::Screen::Description screen(Kit::Rect frame, double scale)
    {
        Kit::Screen::Description d;
        d.frame = frame;
        d.visibleFrame = frame;
        d.backingScaleFactor = scale;
        return d;
    }
};

} // namespace

TEST(RectExtensionTests, FlippingAgainstThePrimaryScreenIsItsOwnInverse)
{
    ScreenScope screens({ScreenScope::screen({0, 0, 1440, 900}, 2), ScreenScope::screen({1440, 0, 1920, 1080}, 1)});
    const Kit::Rect rect{100, 50, 300, 200};
    EXPECT_EQ(isFlipped(rect), (Kit::Rect{100, 650, 300, 200}));
    EXPECT_EQ(isFlipped(isFlipped(rect)), rect);
    EXPECT_EQ(isFlipped(Kit::Rect{0, 0, 1440, 900}), (Kit::Rect{0, 0, 1440, 900}));
    EXPECT_EQ(kScreenScale(), 2);
    EXPECT_EQ(kScreenWidth(), 1440);
    EXPECT_EQ(kScreenHeight(), 900);
    EXPECT_EQ(kStatusBarHeight(), 0);

    EXPECT_FALSE(isLandscape(Kit::Rect{0, 0, 10, 10}));
    EXPECT_TRUE(isLandscape(Kit::Rect{0, 0, 11, 10}));
    EXPECT_FALSE(isLandscape(Kit::Rect{0, 0, 9, 10}));
}

TEST(RectExtensionTests, WithoutAScreenNothingMoves)
{
    ScreenScope none({});
    EXPECT_EQ(isFlipped(Kit::Rect{1, 2, 3, 4}), (Kit::Rect{1, 2, 3, 4}));
    EXPECT_EQ(kScreenScale(), 1);
    EXPECT_EQ(kScreenWidth(), 0);
    EXPECT_EQ(kScreenHeight(), 0);
}

namespace {

class ModuleValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestAccess::resetForTesting<Kit::Appearance>();
        TestAccess::resetForTesting<OnceValue>();
    }
    void TearDown() override
    {
        Foundation::Bundle::setMainBundlePath({});
        TestAccess::resetForTesting<SystemPlatform::ConsoleUser>();
        TestAccess::resetForTesting<SystemPlatform::IORegistry>();
        TestAccess::resetForTesting<Kit::Appearance>();
        TestAccess::resetForTesting<OnceValue>();
    }

    // A bundle "<name>.app" with an info dictionary and, when given, localised texts for `language`.
    fs::path bundle(const std::string& name, const std::string& info, const std::string& language = {},
                    const std::string& localized = {})
    {
        const fs::path path = defaults_.root().path() / (name + ".app");
        fs::create_directories(path / "Contents/Resources");
        std::ofstream(path / "Contents/Info.json") << info;
        if (!language.empty()) {
            fs::create_directories(path / "Contents/Resources" / (language + ".lproj"));
            std::ofstream(path / "Contents/Resources" / (language + ".lproj/InfoPlist.json")) << localized;
        }
        return path;
    }

    DefaultsScope defaults_;
};

} // namespace

TEST_F(ModuleValues, OnceValuesKeepTheirFirstReadingAndTheOthersFollow)
{
    const std::string documents = kDocumentPath();
    const std::string caches = kCachePath();
    EXPECT_EQ(documents, (Foundation::Paths::home() / "Documents").string());
    EXPECT_EQ(caches, (Foundation::Paths::home() / "Library/Caches").string());
    EXPECT_EQ(kLibraryPath(), (Foundation::Paths::home() / "Library").string());
    EXPECT_FALSE(kSystemIsDarkTheme());
    const bool appDark = kAppIsDarkTheme();
    EXPECT_FALSE(appDark);

    TempRoot other; // a new root and a dark global domain
    defaults_.writeGlobalDomain({{"AppleInterfaceStyle", "Dark"}});
    EXPECT_EQ(kDocumentPath(), documents);
    EXPECT_EQ(kCachePath(), caches);
    EXPECT_EQ(kLibraryPath(), (other.path() / "Users" / Foundation::Paths::userName() / "Library").string());
    EXPECT_TRUE(kSystemIsDarkTheme());
    EXPECT_EQ(kAppIsDarkTheme(), appDark);

    TestAccess::resetForTesting<OnceValue>();
    EXPECT_EQ(kDocumentPath(), (other.path() / "Users" / Foundation::Paths::userName() / "Documents").string());
}

TEST_F(ModuleValues, TheSystemThemeIsDarkOnlyForADarkText)
{
    const struct {
        std::optional<Foundation::PropertyListValue> style;
        bool dark;
    } cases[] = {
        {Foundation::PropertyListValue("DARK"), true}, {Foundation::PropertyListValue("dark"), true},
        {Foundation::PropertyListValue("Light"), false}, {Foundation::PropertyListValue("Dark "), false},
        {Foundation::PropertyListValue(std::int64_t(1)), false}, {std::nullopt, false},
    };
    for (const auto& c : cases) {
        Foundation::PropertyListValue::Dictionary domain{{"other", "x"}};
        if (c.style)
            domain.emplace("AppleInterfaceStyle", *c.style);
        defaults_.writeGlobalDomain(domain);
        EXPECT_EQ(kSystemIsDarkTheme(), c.dark) << (c.style ? c.style->toJSONText() : "absent");
    }
    // The application's own domain does not count.
    ASSERT_TRUE(defaults_.standard().set("Dark", "AppleInterfaceStyle"));
    EXPECT_FALSE(kSystemIsDarkTheme());
}

TEST_F(ModuleValues, TheApplicationThemeFollowsItsEffectiveAppearance)
{
    defaults_.writeGlobalDomain({{"AppleInterfaceStyle", "Dark"}});
    TestAccess::resetForTesting<Kit::Appearance>(); // the system appearance is taken from the global domain again
    EXPECT_EQ(Kit::Appearance::system(), Kit::Appearance::darkAqua());
    EXPECT_TRUE(kAppIsDarkTheme());

    const struct {
        const char* appearance;
        bool dark;
    } cases[] = {
        {"NSAppearanceNameAqua", false},
        {"NSAppearanceNameVibrantDark", true},
        {"NSAppearanceNameAccessibilityHighContrastDarkAqua", true},
        {"NSAppearanceNameVibrantLight", false},
    };
    for (const auto& c : cases) {
        Kit::Appearance::setApplication(Kit::Appearance(c.appearance));
        TestAccess::resetForTesting<OnceValue>();
        EXPECT_EQ(kAppIsDarkTheme(), c.dark) << c.appearance;
    }
}

TEST_F(ModuleValues, TheApplicationNameTakesTheFirstTextInItsOrder)
{
    ScopedEnvironment language("LANGUAGE", "zh_CN");
    const struct {
        const char* info;
        const char* localized;
        const char* name;
    } cases[] = {
        {R"({"CFBundleDisplayName": "Display", "CFBundleName": "Name"})",
         R"({"CFBundleDisplayName": "显示", "CFBundleName": "名称"})", "显示"},
        {R"({"CFBundleDisplayName": "Display", "CFBundleName": "Name"})", R"({"CFBundleName": "名称"})", "Display"},
        {R"({"CFBundleDisplayName": 3, "CFBundleName": "Name"})", R"({"CFBundleName": "名称"})", "名称"},
        {R"({"CFBundleName": "Name"})", R"({"CFBundleDisplayName": 1})", "Name"},
        {R"({"CFBundleName": ["Name"]})", "", ""},
        {"", "", ""},
    };
    int index = 0;
    for (const auto& c : cases) {
        const Foundation::Bundle fixture(bundle("App" + std::to_string(index++), c.info, "zh-Hans", c.localized));
        EXPECT_EQ(appName(fixture), c.name) << c.info << " / " << c.localized;
    }
}

TEST_F(ModuleValues, BundleFactsOfTheMainBundle)
{
    ScopedEnvironment language("LANGUAGE", "en");
    const fs::path main = bundle("Main", R"({"CFBundleIdentifier": "com.example.main", "CFBundleName": "Main",
        "CFBundleShortVersionString": "2.4.0", "CFBundleVersion": 240})", "en", R"({"CFBundleName": "Main EN"})");
    std::ofstream(main / "Contents/Resources/sound.aiff") << "x";
    Foundation::Bundle::setMainBundlePath(main);
    EXPECT_EQ(kAPP_Version(), "2.4.0");
    EXPECT_EQ(kAPP_Build_Number(), ""); // not a text
    EXPECT_EQ(kAPP_Name(), "Main EN");
    EXPECT_EQ(kBundle_id(), "com.example.main");
    EXPECT_EQ(kBundlePath("sound.aiff"), (main / "Contents/Resources/sound.aiff").string());
    EXPECT_EQ(kBundlePath("sound"), std::nullopt);
    EXPECT_EQ(kBundlePath("missing.aiff"), std::nullopt);

    Foundation::Bundle::setMainBundlePath(bundle("Other", R"({"CFBundleIdentifier": "com.example.other"})"));
    EXPECT_EQ(kBundle_id(), "com.example.main"); // once
}

TEST_F(ModuleValues, TheSystemVersionAlwaysHasThreeNumbers)
{
    for (const auto& [version, text] : std::vector<std::pair<std::string, std::string>>{
             {"15.1", "15.1.0"}, {"14.5.2", "14.5.2"}, {"26", "26.0.0"}}) {
        OperatingSystemVersion pinned(version);
        TestAccess::resetForTesting<OnceValue>();
        EXPECT_EQ(kSystem_OS_Version(), text);
    }
}

TEST_F(ModuleValues, TheUUIDGroupIsTheFifthOfThePlatformUUID)
{
    using SystemPlatform::IORegistry;
    using SystemPlatform::RegistryEntry;
    using SystemPlatform::RegistryProperties;
    const auto expert = [](RegistryProperties properties) {
        return std::vector<RegistryEntry>{
            RegistryEntry{"IOPlatformExpertDevice", "J316sAP", std::move(properties), {}}};
    };
    const struct {
        std::optional<std::vector<RegistryEntry>> services;
        const char* group;
    } cases[] = {
        {expert({{"IOPlatformUUID", std::string("5C1F3E2A-0B7D-4F65-9A21-8e3d4c5b6a7f")}}), "8e3d4c5b6a7f"},
        {expert({{"IOPlatformUUID", std::string("A-B-C-D-E-F")}}), "E"},
        {expert({{"IOPlatformUUID", std::string("5C1F3E2A-0B7D-4F65-9A21")}}), ""},
        {expert({{"IOPlatformUUID", std::string("A-B-C-D-")}}), ""},
        {expert({{"IOPlatformUUID", std::int64_t(7)}}), ""},
        {expert({}), ""},
        {std::vector<RegistryEntry>{}, ""},
    };
    for (const auto& c : cases) {
        IORegistry::setServices(c.services);
        EXPECT_EQ(getUUID(), c.group);
    }
    TestAccess::resetForTesting<IORegistry>();
    EXPECT_EQ(getUUID().size(), 12u); // the simulated Mac's
}

TEST_F(ModuleValues, TheConsoleUserIsAbsentAtTheLoginWindow)
{
    using SystemPlatform::ConsoleUser;
    const uid_t me = ::getuid();
    const auto home = ConsoleUser::homeDirectory(me);
    ASSERT_TRUE(home);
    const std::string last = fs::path(*home).filename().string();

    ConsoleUser::set(ConsoleUser::User{"alice", me});
    EXPECT_EQ(GUIUserName(), "alice");
    EXPECT_EQ(GUIUserDisplayName(), last.empty() ? std::nullopt : std::optional(last));
    for (const char* loginWindow : {"loginwindow", "loginWindow", "LOGINWINDOW"}) {
        ConsoleUser::set(ConsoleUser::User{loginWindow, me});
        EXPECT_EQ(GUIUserName(), std::nullopt) << loginWindow;
        EXPECT_EQ(GUIUserDisplayName(), std::nullopt) << loginWindow;
    }
    ConsoleUser::set(std::nullopt);
    EXPECT_EQ(GUIUserName(), std::nullopt);
    EXPECT_EQ(GUIUserDisplayName(), std::nullopt);
    ConsoleUser::set(ConsoleUser::User{"ghost", static_cast<uid_t>(3999999999u)}); // no password entry
    EXPECT_EQ(GUIUserName(), "ghost");
    EXPECT_EQ(GUIUserDisplayName(), std::nullopt);
}

TEST_F(ModuleValues, TheSandboxIsToldByItsVariable)
{
    {
        ScopedEnvironment sandbox("APP_SANDBOX_CONTAINER_ID", "");
        EXPECT_TRUE(kAppIsSandbox());
    }
    EXPECT_TRUE(kAppIsSandbox()); // once
    TestAccess::resetForTesting<OnceValue>();
    ::unsetenv("APP_SANDBOX_CONTAINER_ID");
    EXPECT_FALSE(kAppIsSandbox());
}

TEST_F(ModuleValues, FontsOfTheSystemFamily)
{
    EXPECT_EQ(font(13), Kit::Font::systemFont(13));
    EXPECT_EQ(boldFont(11).weight(), Kit::Font::Weight::bold);
    EXPECT_EQ(mediumFont(12, Kit::Font::Weight::medium).weight(), Kit::Font::Weight::medium);
    EXPECT_EQ(mediumFont(12, Kit::Font::Weight::light), Kit::Font::systemFont(12, Kit::Font::Weight::light));
    EXPECT_EQ(mediumFont(12, Kit::Font::Weight::semibold).pointSize(), 12);
}

TEST_F(ModuleValues, OnlyItemsInsideTheTrashAreInTheTrash)
{
    const fs::path trash = Foundation::Paths::trash();
    EXPECT_FALSE(isInTrash(trash)); // no trash yet
    fs::create_directories(trash / "folder");
    fs::create_directories(trash.parent_path() / ".Trash2");
    for (const fs::path& file : {trash / "a.txt", trash / "folder/b.txt", trash.parent_path() / ".Trash2/c.txt",
                                 trash.parent_path() / "d.txt"})
        std::ofstream(file) << "x";
    EXPECT_FALSE(isInTrash(trash));
    EXPECT_TRUE(isInTrash(trash / "a.txt"));
    EXPECT_TRUE(isInTrash(trash / "folder"));
    EXPECT_TRUE(isInTrash(trash / "folder/b.txt"));
    EXPECT_TRUE(isInTrash(trash / "folder/../a.txt"));
    EXPECT_FALSE(isInTrash(trash / "folder/../../d.txt"));
    EXPECT_FALSE(isInTrash(trash.parent_path() / ".Trash2/c.txt"));
    EXPECT_FALSE(isInTrash(trash / "missing.txt"));

    EXPECT_TRUE(isDirectory(trash / "folder"));
    EXPECT_FALSE(isDirectory(trash / "a.txt"));
    EXPECT_FALSE(isDirectory(trash / "none"));
}
