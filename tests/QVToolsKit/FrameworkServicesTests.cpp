#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListXMLReader.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/OpenPanelPresenter.h"
#include "Platform/Kit/Panel.h"
#include "Platform/Kit/Popover.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/Window.h"
#include "Platform/System/FileDesktopPictureStore.h"
#include "Platform/System/GSettingsDesktopPictureStore.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/UI/QVActivityIndicatorManager.h"
#include "QVToolsKit/UI/QVAppearanceManager.h"
#include "QVToolsKit/UI/QVBaseBox.h"
#include "QVToolsKit/UI/QVCursorManager.h"
#include "QVToolsKit/UI/QVOpenPanelManager.h"
#include "QVToolsKit/UI/QVPopoverManager.h"
#include "QVToolsKit/UI/QVWallpaperManager.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/ScriptedOpenPanelPresenter.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

using namespace Kit;
namespace qv = QVToolsKit;
namespace fs = std::filesystem;

namespace {

using FrameworkBoxTest = Testing::KitTest;
using ActivityIndicatorManagerTest = Testing::KitTest;

class AppearanceManagerTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        TestAccess::resetForTesting<qv::QVAppearanceManager>();
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<qv::QVAppearanceManager>();
        (void)Foundation::UserDefaults::standard().removeObject("AppleInterfaceStyleSwitchesAutomatically");
        KitTest::TearDown();
    }
    TempRoot root_;
};

class FileServicesTest : public Testing::KitTest {
protected:
    void write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    fs::path cursorFolder(const std::string& name)
    {
        return Foundation::Paths::resolve(std::string(qv::QVCursorManager::cursorsFolder) + name);
    }
    TempRoot root_;
};


} // namespace

TEST_F(FrameworkBoxTest, FollowsTheApplicationsAppearance)
{
    auto box = std::make_shared<qv::QVBaseBox>(Rect {0, 0, 100, 60});
    EXPECT_EQ(box->fillColor(), Colour::white(1, 0.4));
    EXPECT_EQ(box->borderColor(), Colour::clear());
    EXPECT_EQ(box->cornerRadius(), 15);
    EXPECT_EQ(box->titlePosition(), Box::TitlePosition::noTitle);
    EXPECT_FALSE(box->shadow());
    box->setBoxBorderColor(Colour::red());
    box->setBoxBorderWidth(2);
    box->viewDidChangeEffectiveAppearance();
    const auto light = Testing::Snapshot::of(*box);
    EXPECT_EQ(light.colourAt({1, 30}), light.colourAt({50, 30})) << "a light box shows no border";

    Appearance::setApplication(Appearance::darkAqua());
    box->viewDidChangeEffectiveAppearance();
    EXPECT_EQ(box->fillColor(), Colour::white(0, 0.15));
    EXPECT_EQ(box->borderColor(), Colour::red().withAlphaComponent(0.3));
    box->setShowShadow(true);
    ASSERT_TRUE(box->shadow());
    EXPECT_EQ(*box->shadow(), (Shadow {Colour::whiteColor().withAlphaComponent(0.25), {0, -4}, 8}));
    EXPECT_EQ(box->layer().shadowOpacity(), 1);
    box->setShowShadow(false);
    EXPECT_FALSE(box->shadow());
    EXPECT_EQ(box->layer().shadowOpacity(), 0);
}

TEST_F(AppearanceManagerTest, ReadsAutomaticFirstTogglesAndPostsEachChange)
{
    int posts = 0;
    auto token = Foundation::NotificationCenter::defaultCenter().addObserver(
        qv::QVAppearanceManager::didChangeNotification, nullptr, [&](const auto&) { ++posts; });
    Appearance::setApplication(Appearance::darkAqua());
    EXPECT_EQ(posts, 0) << "nothing before the first use";
    auto& manager = qv::QVAppearanceManager::shared();
    EXPECT_TRUE(manager.isDarkModeEnabled());
    Foundation::UserDefaults::standard().set(std::string("YES"), "AppleInterfaceStyleSwitchesAutomatically");
    EXPECT_EQ(manager.currentAppearanceMode(), qv::QVAppearanceMode::automatic);
    EXPECT_FALSE(manager.isDarkModeEnabled());
    (void)Foundation::UserDefaults::standard().removeObject("AppleInterfaceStyleSwitchesAutomatically");

    manager.toggleAppearance();
    EXPECT_EQ(Appearance::effectiveApplication().name(), Appearance::aquaName);
    EXPECT_EQ(posts, 1);
    manager.toggleAppearance();
    EXPECT_EQ(Appearance::effectiveApplication().name(), Appearance::darkAquaName);
    Appearance::setApplication(Appearance(std::string(Appearance::highContrastDarkAquaName)));
    EXPECT_EQ(manager.currentAppearanceMode(), qv::QVAppearanceMode::dark);
    manager.toggleAppearance();
    EXPECT_EQ(Appearance::effectiveApplication().name(), Appearance::aquaName);
    Appearance::setApplication(Appearance::aqua());
    EXPECT_EQ(posts, 4) << "a change to the same appearance posts nothing";
}

TEST_F(ActivityIndicatorManagerTest, AppliesChangesOnTheMainQueueInCallOrder)
{
    auto indicator = std::make_shared<ProgressIndicator>(Rect {0, 0, 100, 20});
    indicator->setIndeterminate(false);
    qv::QVActivityIndicatorManager::setProgress(indicator, 30);
    EXPECT_EQ(indicator->doubleValue(), 0) << "not before the main queue runs";
    advance(0);
    EXPECT_EQ(indicator->doubleValue(), 30);

    std::thread worker([indicator] {
        qv::QVActivityIndicatorManager::setProgressRange(indicator, 10, 5);
        qv::QVActivityIndicatorManager::setProgress(indicator, 7);
        qv::QVActivityIndicatorManager::setVisibility(indicator, true);
        qv::QVActivityIndicatorManager::activityIndicatorAnimation(indicator, false);
    });
    worker.join();
    advance(0);
    EXPECT_EQ(indicator->minValue(), 10);
    EXPECT_EQ(indicator->maxValue(), 5);
    EXPECT_TRUE(indicator->isHidden());
}

TEST_F(FileServicesTest, PropertyListsAreReadStrictly)
{
    const auto plist = Foundation::PropertyListXMLReader::read(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist>\n<plist version=\"1.0\"><dict><key>a&amp;b</key><array><integer>-3</integer>"
        "<real>2.5</real><true/><string>x&#x4E2D;</string><data>AAE=</data></array></dict></plist>");
    ASSERT_TRUE(plist);
    const auto& items = *plist->asDictionary()->at("a&b").asArray();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(*items[0].asInteger(), -3);
    EXPECT_EQ(*items[1].asDouble(), 2.5);
    EXPECT_EQ(*items[3].asString(), "x中");
    EXPECT_EQ(items[4].asData()->size(), 2u);
    for (const char* bad : {"<plist><dict><key>k</key><true/><key>k</key><false/></dict></plist>",
             "<plist><integer>1x</integer></plist>", "<plist><dict><key>k</key></dict></plist>", "bplist00",
             "<plist><string>a</string></plist>trailing"})
        EXPECT_FALSE(Foundation::PropertyListXMLReader::read(bad)) << bad;
    std::string deep = "<plist>";
    for (int i = 0; i < 100; ++i)
        deep += "<array>";
    EXPECT_FALSE(Foundation::PropertyListXMLReader::read(deep));
}

TEST_F(FileServicesTest, CursorsComeFromTheirFolderWithAHotSpot)
{
    EXPECT_FALSE(qv::QVCursorManager::cursorForName("resizenorthwestsoutheast"));
    EXPECT_EQ(qv::QVCursorManager::topLeftBottomRightResizeCursor().shape(), Cursor::Shape::resizeNorthWestSouthEast);
    write(cursorFolder("half") / "info.plist", "<plist><dict><key>hotx</key><integer>3</integer></dict></plist>");
    write(cursorFolder("text") / "info.plist",
        "<plist><dict><key>hotx</key><integer>3</integer><key>hoty</key><string>4</string></dict></plist>");
    write(cursorFolder("good") / "info.plist",
        "<plist><dict><key>hotx</key><integer>3</integer><key>hoty</key><real>4.5</real></dict></plist>");
    EXPECT_FALSE(qv::QVCursorManager::cursorForName("half"));
    EXPECT_FALSE(qv::QVCursorManager::cursorForName("text"));
    EXPECT_FALSE(qv::QVCursorManager::cursorForName("../cursors/good"));
    const auto cursor = qv::QVCursorManager::cursorForName("good");
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->hotSpot(), (Point {3, 4.5}));
    EXPECT_FALSE(cursor->image().isValid());
}

TEST_F(FileServicesTest, WallpapersArePrintedPerScreenAndKeptOnlyForReadableFiles)
{
    TestAccess::resetForTesting<SystemPlatform::Workspace>();
    SystemPlatform::Workspace::shared().setDesktopPictureStore(std::make_shared<SystemPlatform::FileDesktopPictureStore>());
    Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::vector<Screen::Description> {
        {{0, 0, 800, 600}, {0, 0, 800, 600}, 1, "Built-in", true, {}, {{"NSScreenNumber", std::uint32_t {1}}}},
        {{800, 0, 800, 600}, {800, 0, 800, 600}, 1, "Studio", false, {}, {{"NSScreenNumber", std::uint32_t {2}}}}}));
    const fs::path picture = root_.path() / "a picture.png";
    write(picture, "png");
    ConsoleCapture console;
    qv::QVWallpaperManager::setWallpaper(std::optional<fs::path>());
    qv::QVWallpaperManager::setWallpaper(root_.path() / "missing.png");
    qv::QVWallpaperManager::setWallpaperForAllScreens(picture);
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "❌ 无效的图片 URL，壁纸设置失败");
    EXPECT_TRUE(lines[1].starts_with("❌ 设置壁纸失败：")) << lines[1];
    EXPECT_EQ(lines[2], "✅ 壁纸设置成功：" + picture.string() + " -> Built-in");
    EXPECT_EQ(lines[3], "✅ 壁纸设置成功：" + picture.string() + " -> Studio");
    EXPECT_EQ(qv::QVWallpaperManager::getCurrentWallpaperURL(), picture);

    Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::vector<Screen::Description> {}));
    console.clear();
    EXPECT_FALSE(qv::QVWallpaperManager::getCurrentWallpaperURL());
    EXPECT_EQ(console.lines(), std::vector<std::string> {"❌ 无法获取主屏幕"});
    TestAccess::resetForTesting<SystemPlatform::Workspace>();
}

TEST_F(FileServicesTest, TheDesktopsSettingsKeepAPathWithQuotesAndSpaces)
{
    SystemPlatform::GSettingsDesktopPictureStore store(
        {{"GSETTINGS_BACKEND", "keyfile"}, {"XDG_CONFIG_HOME", (root_.path() / "config").string()}});
    if (!store.isAvailable())
        GTEST_SKIP() << "gsettings and its desktop schemas are not installed";
    const fs::path picture = root_.path() / "it's a \"picture\" \\ here.png";
    write(picture, "png");
    ASSERT_TRUE(store.setPicture(picture, "1")) << "the keyfile backend keeps what it is given";
    EXPECT_EQ(store.picture("1"), picture);
    EXPECT_EQ(SystemPlatform::GSettingsDesktopPictureStore::literal("/a b'"), "'file:///a%20b%27'");
    // A backend that forgets (as one without a session bus does) is a failure, not a success.
    SystemPlatform::GSettingsDesktopPictureStore forgetful(
        SystemPlatform::GSettingsDesktopPictureStore::Environment {{"GSETTINGS_BACKEND", "memory"}});
    const auto kept = forgetful.setPicture(picture, "1");
    EXPECT_FALSE(kept);
    EXPECT_NE(kept.error().find("did not keep"), std::string::npos) << kept.error();
}

TEST_F(FileServicesTest, TheOpenPanelCarriesEveryOptionAndOnlyOKCompletes)
{
    const auto panel = qv::QVOpenPanelManager::createOpenPanel("Title", "Message", false, true, true,
        std::vector<std::string> {}, fs::path("/tmp"));
    EXPECT_EQ(panel.title, "Title");
    EXPECT_EQ(panel.message, "Message");
    EXPECT_FALSE(panel.canChooseFiles);
    EXPECT_TRUE(panel.canChooseDirectories && panel.allowsMultipleSelection);
    EXPECT_EQ(panel.allowedFileTypes, std::vector<std::string> {}) << "an empty list stays a list";
    EXPECT_FALSE(panel.canCreateDirectories || panel.isAccessoryViewDisclosed || panel.showsHiddenFiles || panel.showsTagField);

    auto presenter = std::make_shared<ScriptedOpenPanelPresenter>();
    OpenPanelPresenter::replaceShared(presenter);
    presenter->enqueue(std::vector<fs::path> {"/b", "/a"});
    presenter->enqueue(std::nullopt);
    std::vector<std::vector<fs::path>> calls;
    const auto record = [&](const std::vector<fs::path>& urls) { calls.push_back(urls); };
    qv::QVOpenPanelManager::showOpenPanel("Pick", true, false, true, std::nullopt, std::nullopt, record);
    qv::QVOpenPanelManager::showOpenPanel("Pick", true, false, true, std::nullopt, std::nullopt, record);
    EXPECT_EQ(calls, (std::vector<std::vector<fs::path>> {{"/b", "/a"}}));
    EXPECT_FALSE(presenter->shown()[0].allowedFileTypes);
    OpenPanelPresenter::replaceShared(nullptr);
}

TEST_F(FileServicesTest, ThePopoverIsTransientAndOpensAboveTheView)
{
    Window window({100, 100, 300, 200}, Window::titled);
    auto anchor = std::make_shared<View>(Rect {100, 50, 80, 30});
    window.contentView()->addSubview(anchor);
    window.orderFront();
    auto controller = std::make_shared<ViewController>();
    controller->setView(std::make_shared<View>(Rect {0, 0, 120, 60}));
    Popover popover;
    qv::QVPopoverManager::showPopover(popover, controller, *anchor);
    EXPECT_EQ(popover.behavior(), Popover::Behavior::transient);
    EXPECT_EQ(popover.contentView(), controller->view());
    ASSERT_TRUE(popover.isShown());
    const Rect anchorOnScreen = window.convertRectToScreen(anchor->convertTo(anchor->bounds(), nullptr));
    EXPECT_GE(popover.window()->frame().minY(), anchorOnScreen.maxY());
    popover.close();
}
