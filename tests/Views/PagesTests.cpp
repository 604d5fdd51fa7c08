#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Views/FreeAppsItem.h"
#include "Classes/Views/FreeAppsViewController.h"
#include "Classes/Views/TutorialViewController.h"
#include "Classes/Views/UserSupportController.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/System/Workspace.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <gtest/gtest.h>

using namespace Aerlo;

namespace {

class PagesTest : public Testing::ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        TestAccess::resetForTesting<SystemPlatform::Workspace>(opener_);
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<SystemPlatform::Workspace>();
        ViewsTest::TearDown();
    }
    // The page's view in a window of its size.
    void show(Kit::ViewController& page)
    {
        makeWindow({680, 540}).addSubview(page.view());
        driver().runUntilIdle();
    }
    // The page's button titled with `key`.
    static Kit::Button& button(Kit::View& page, const char* key)
    {
        for (const auto& view : page.subviews())
            if (auto* b = dynamic_cast<Kit::Button*>(view.get()); b && b->title() == LocalizationTable::text(key))
                return *b;
        throw std::runtime_error(key);
    }
    std::vector<std::string> opened() const { return opener_->openedURLs(); }

    std::shared_ptr<SystemPlatform::RecordingURLOpener> opener_ =
        std::make_shared<SystemPlatform::RecordingURLOpener>();
    ConsoleCapture console_;
};

TEST_F(PagesTest, EachPageButtonOpensItsAddressOnce)
{
    TutorialViewController tutorial;
    UserSupportController support;
    FreeAppsViewController apps;
    const struct {
        Kit::ViewController& page;
        const char* key;
        const char* url;
    } buttons[] = {
        {tutorial, "tutorial.video", TutorialViewController::videoURL},
        {tutorial, "tutorial.questions", TutorialViewController::questionsURL},
        {support, "support.technical", UserSupportController::supportURL},
        {support, "support.community", UserSupportController::communityURL},
        {apps, "apps.website", FreeAppsViewController::websiteURL},
    };
    for (const auto& b : buttons) {
        button(*b.page.view(), b.key).performClick();
        EXPECT_EQ(opened(), (std::vector<std::string> {b.url})) << b.key;
        TestAccess::resetForTesting<SystemPlatform::Workspace>(
            opener_ = std::make_shared<SystemPlatform::RecordingURLOpener>());
    }
    EXPECT_EQ(console_.output(), "");
}

TEST_F(PagesTest, TheAboutIconHasPixelsEnoughForTwoPerPoint)
{
    UserSupportController support;
    show(support);
    const Kit::ImageView* icon = nullptr;
    for (const auto& view : support.view()->subviews())
        if (auto* image = dynamic_cast<const Kit::ImageView*>(view.get()))
            icon = image;
    ASSERT_NE(icon, nullptr);
    EXPECT_GE(icon->image().pixelsWide(), 2 * icon->frame().width());
    EXPECT_GE(icon->image().pixelsHigh(), 2 * icon->frame().height());
    Kit::Testing::Snapshot::of(window(), 2).save("pages", "about@2x");
}

TEST_F(PagesTest, MoreAppsChoosesByTheInstallTime)
{
    FreeAppsViewController apps;
    Kit::Button& more = button(*apps.view(), "apps.more");
    const double now = Foundation::RunLoop::main().clock().wallTime();
    more.performClick();
    (void)defaults().set(std::string("abc"), SettingsKey::installTime);
    more.performClick();
    EXPECT_TRUE(opened().empty());
    const struct {
        Foundation::PropertyListValue stored;
        const char* url;
    } cases[] = {
        {now - 172800, FreeAppsViewController::storeURL},
        {now - 172801, FreeAppsViewController::allAppsURL},
        {static_cast<std::int64_t>(now) - 200000, FreeAppsViewController::allAppsURL},
        {now + 60, FreeAppsViewController::storeURL},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        (void)defaults().set(c.stored, SettingsKey::installTime);
        more.performClick();
        expected.push_back(c.url);
    }
    EXPECT_EQ(opened(), expected);
    EXPECT_EQ(console_.output().find("无效的 URL: "), std::string::npos);
}

TEST_F(PagesTest, TheListShowsTenAppsAndEachClickOpensItsRow)
{
    FreeAppsViewController apps;
    show(apps);
    Kit::CollectionView& list = *apps.collectionView;
    ASSERT_EQ(list.numberOfItems(), 10);
    ASSERT_EQ(apps.freeAppsData.size(), 10u);
    int storeRows = 0;
    for (long k = 0; k < 10; ++k) {
        const auto& row = apps.freeAppsData[static_cast<std::size_t>(k)];
        EXPECT_EQ(row.size(), 4u);
        for (const char* key : {"name", "icon", "desc", "link"})
            EXPECT_TRUE(row.count(key)) << key;
        EXPECT_GE(row.at("desc").size(), 8u);
        EXPECT_LE(row.at("desc").size(), 20u);
        EXPECT_EQ(std::count(row.at("desc").begin(), row.at("desc").end(), ' '), 1) << row.at("desc");
        EXPECT_TRUE(row.at("link").find(".example.") != std::string::npos);
        storeRows += row.at("link").rfind("https://store.example.com/", 0) == 0;
        EXPECT_EQ(list.frameForItem(k), (Kit::Rect {0, 80.0 * static_cast<double>(k), 650, 80}));
        auto* item = dynamic_cast<FreeAppsItem*>(list.itemAt({0, k}));
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->icon->image().isValid()) << row.at("icon");
        EXPECT_EQ(item->link, row.at("link"));
    }
    EXPECT_EQ(storeRows, 1);

    Kit::Testing::EventInjector mouse(window());
    const auto centre = [&](long k) {
        const Kit::Rect frame = list.frameForItem(k);
        return list.convertTo(Kit::Point {frame.midX(), frame.midY()}, nullptr);
    };
    mouse.click(centre(1));
    mouse.click(centre(1));
    mouse.click(centre(0));
    EXPECT_EQ(opened(), (std::vector<std::string> {apps.freeAppsData[1].at("link"), apps.freeAppsData[1].at("link"),
                                                   apps.freeAppsData[0].at("link")}));
}

} // namespace
