#include "Classes/App/Preferences.h"
#include "Classes/App/SettingsController.h"
#include "Classes/Configure/Global/Localization.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Windows/FanControl/SensorsViewController.h"
#include "Classes/Views/DisablableScrollView.h"
#include "Classes/Views/FreeAppsViewController.h"
#include "Classes/Views/InitialViewController.h"
#include "Classes/Views/TutorialViewController.h"
#include "Classes/Views/UserSupportController.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TableCellView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Vendors/UI/QVWindowOperateView.h"
#include "QVToolsKit/UI/QVCustomTableRowView.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <QAccessible>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

using namespace Aerlo;

namespace {

// A pane that counts its appearance calls.
struct Counted {
    virtual ~Counted() = default;
    int willAppear = 0;
    int willDisappear = 0;
};

template <class Pane>
class Counting : public Pane, public Counted {
public:
    void viewWillAppear() override
    {
        ++willAppear;
        Pane::viewWillAppear();
    }
    void viewWillDisappear() override
    {
        ++willDisappear;
        Pane::viewWillDisappear();
    }
};

class MainWindowTest : public Testing::ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        TestAccess::resetForTesting<Storyboard>();
        TestAccess::resetForTesting<Kit::Application>();
        // The settings pane and the rule editor count their builds and appearances.
        Storyboard::registerViewController("SettingsController", "", [this] {
            ++built_[0];
            return std::make_shared<Counting<SettingsController>>();
        });
        Storyboard::registerViewController("SensorsViewController", "", [this] {
            ++built_[1];
            return std::make_shared<Counting<SensorsViewController>>();
        });
        TutorialViewController::registerScene();
        FreeAppsViewController::registerScene();
        UserSupportController::registerScene();
        uptimeToken_ = Foundation::NotificationCenter::defaultCenter().addObserver(
            NotificationName::updateUptime, nullptr, [this](const Foundation::Notification&) { ++uptimePosts_; });
        preferences_ = Preferences::make();
        preferences_->showWindow();
        driver().runUntilIdle();
        controller_ = preferences_->initialViewController();
        ASSERT_NE(controller_, nullptr);
        // Row 0 selected at load was a change of the table's selection.
        postsAtLoad_ = std::exchange(uptimePosts_, 0);
    }
    void TearDown() override
    {
        preferences_.reset();
        TestAccess::resetForTesting<Storyboard>();
        Kit::Appearance::setApplication(std::nullopt);
        ViewsTest::TearDown();
    }

    Kit::TableView& table() { return *controller_->tableView; }
    std::shared_ptr<Kit::View> document() { return controller_->scrollView->documentView(); }
    Counted& counts(int i) { return dynamic_cast<Counted&>(*controller_->viewControllers()[static_cast<std::size_t>(i)]); }
    Kit::ViewController& pane(int i) { return *controller_->viewControllers()[static_cast<std::size_t>(i)]; }
    // The centre of a sidebar row, in the window.
    Kit::Point rowCentre(long row)
    {
        const Kit::Rect rect = table().rectOfRow(row);
        return table().convertTo(Kit::Point {rect.midX(), rect.midY()}, nullptr);
    }
    // Each pane in light and dark, saved as <pane><suffix>-<appearance>.
    void renderEveryPane(const std::string& suffix)
    {
        for (const bool dark : {false, true}) {
            // The system's appearance, as the sidebar's box follows the application's.
            Kit::Appearance::setApplication(dark ? Kit::Appearance::darkAqua() : Kit::Appearance::aqua());
            for (long tab = 0; tab < 5; ++tab) {
                controller_->selectTab(tab);
                driver().runUntilIdle();
                const auto shot = Kit::Testing::Snapshot::of(*preferences_->window());
                static const char* names[] = {"settings", "rules", "tutorial", "apps", "support"};
                shot.save("main-window", std::string(names[tab]) + suffix + (dark ? "-dark" : "-light"));
                // Round corners: the window's corner is clear.
                EXPECT_LT(shot.alphaAt({1, 1}), 0.05);
                const Kit::Rect row = table().rectOfRow(tab);
                const Kit::Point fill = table().convertTo(Kit::Point {row.maxX() - 12, row.midY()}, nullptr);
                EXPECT_COLOUR_NEAR_TOL(shot.colourAt(fill),
                    Kit::Colour::controlAccentColor().resolved(dark ? Kit::Appearance::darkAqua() : Kit::Appearance::aqua()), 0.05);
                // The selected row's title is white on the accent, in light mode as in dark.
                EXPECT_TRUE(hasWhiteText(shot, tab)) << names[tab] << (dark ? " dark" : " light");
            }
        }
    }
    // Whether the title of the sidebar's row draws near-white pixels.
    bool hasWhiteText(const Kit::Testing::Snapshot& shot, long row)
    {
        auto* cell = dynamic_cast<Kit::TableCellView*>(table().viewAt(0, row));
        if (!cell || !cell->textField())
            return false;
        const Kit::TextField& title = *cell->textField();
        const Kit::Rect rect = title.convertTo(title.bounds(), nullptr);
        for (double x = rect.x(); x < rect.maxX(); x += 0.5)
            for (double y = rect.y(); y < rect.maxY(); y += 0.5) {
                const Kit::Colour c = shot.colourAt({x, y});
                if (c.redComponent() > 0.92 && c.greenComponent() > 0.92 && c.blueComponent() > 0.92)
                    return true;
            }
        return false;
    }
    bool showsTopOf(const Kit::View& view)
    {
        return controller_->scrollView->documentVisibleRect().maxY() == view.bounds().height();
    }

    std::array<int, 2> built_ {};
    int uptimePosts_ = 0;
    int postsAtLoad_ = 0;
    Foundation::ObserverToken uptimeToken_;
    std::shared_ptr<Preferences> preferences_;
    InitialViewController* controller_ = nullptr;
};

TEST_F(MainWindowTest, LoadsEveryPaneOnceAndShowsTheSettingsRowWithItsTabs)
{
    EXPECT_EQ(built_, (std::array<int, 2> {1, 1}));
    EXPECT_EQ(table().selectedRow(), 0);
    EXPECT_EQ(document(), pane(0).view());
    EXPECT_EQ(postsAtLoad_, 1);
    EXPECT_NE(dynamic_cast<SettingsController*>(&pane(0)), nullptr);
    const std::vector<std::pair<std::string, std::string>> tabs {
        {Localization::TabOption::settings(), "general_icon_Normal"}, {Localization::TabOption::customSpeed(), "Accessbility-new"},
        {Localization::TabOption::tutorial(), "study_icon_Normal"}, {Localization::TabOption::freeApps(), "apps_icon_Normal"},
        {Localization::TabOption::about(), "contact_icon_Normal"}};
    ASSERT_EQ(table().numberOfRows(), 5);
    for (long row = 0; row < 5; ++row) {
        const auto& [title, image] = tabs[static_cast<std::size_t>(row)];
        EXPECT_EQ(controller_->TabsData[static_cast<std::size_t>(row)].at("title"), title);
        EXPECT_EQ(controller_->TabsData[static_cast<std::size_t>(row)].at("image"), image);
        auto* cell = dynamic_cast<Kit::TableCellView*>(table().viewAt(0, row));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->textField()->stringValue(), title);
        EXPECT_TRUE(cell->imageView()->image().isValid()) << image;
        EXPECT_EQ(table().rectOfRow(row).y(), 42.0 * static_cast<double>(row));
        auto* rowView = dynamic_cast<QVToolsKit::QVCustomTableRowView*>(table().rowViewAt(row));
        ASSERT_NE(rowView, nullptr);
        EXPECT_EQ(rowView->rowCornerRadius(), 8);
        EXPECT_TRUE(rowView->hoverEnabled());
        EXPECT_EQ(rowView->selectedBackgroundColor(), Kit::Colour::controlAccentColor());
        EXPECT_EQ(rowView->hoverBackgroundColorLight(), Kit::Colour::black().withAlphaComponent(0.2));
        EXPECT_EQ(rowView->hoverBackgroundColorDark(), Kit::Colour::black().withAlphaComponent(0.35));
    }
    EXPECT_EQ(controller_->productVersionTextField->stringValue().rfind("Aerlo ", 0), 0u);
}

TEST_F(MainWindowTest, TheRulesRequestLandsOnRowOneFromItsTopOnce)
{
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::openCustomFanSpeedPreference);
    EXPECT_EQ(table().selectedRow(), 1);
    EXPECT_EQ(document(), pane(1).view());
    EXPECT_TRUE(showsTopOf(*pane(1).view()));
    EXPECT_EQ(uptimePosts_, 1);
    EXPECT_EQ(counts(1).willAppear, 1);
    EXPECT_EQ(counts(0).willDisappear, 1);

    Foundation::NotificationCenter::defaultCenter().post(NotificationName::openCustomFanSpeedPreference);
    EXPECT_EQ(table().selectedRow(), 1);
    EXPECT_TRUE(showsTopOf(*pane(1).view()));
    EXPECT_EQ(uptimePosts_, 1);
    EXPECT_EQ(counts(1).willAppear, 1);
}

TEST_F(MainWindowTest, ClicksPostOnceKeepThePanesAndOutOfRangeChoicesChangeNothing)
{
    Kit::Testing::EventInjector mouse(*preferences_->window());
    mouse.click(rowCentre(3));
    EXPECT_EQ(uptimePosts_, 1);
    EXPECT_NE(dynamic_cast<FreeAppsViewController*>(controller_->viewControllers()[3].get()), nullptr);
    EXPECT_EQ(document(), controller_->viewControllers()[3]->view());
    mouse.click(rowCentre(3));
    EXPECT_EQ(uptimePosts_, 1);

    Kit::ViewController* rules = controller_->viewControllers()[1].get();
    mouse.click(rowCentre(1));
    EXPECT_EQ(controller_->viewControllers()[1].get(), rules);
    EXPECT_EQ(document(), rules->view());
    EXPECT_EQ(built_, (std::array<int, 2> {1, 1}));

    const int posts = uptimePosts_;
    controller_->selectTab(-1);
    controller_->selectTab(5);
    mouse.click(table().convertTo(Kit::Point {40, table().rectOfRow(4).maxY() + 30}, nullptr));
    EXPECT_EQ(table().selectedRow(), 1);
    EXPECT_EQ(document(), rules->view());
    EXPECT_EQ(uptimePosts_, posts);
}

TEST_F(MainWindowTest, TheShownPaneHearsOneAppearancePerShowAndPerSwitch)
{
    EXPECT_EQ(counts(0).willAppear, 1);
    controller_->selectTab(1);
    controller_->selectTab(0);
    EXPECT_EQ(counts(0).willAppear, 2);
    EXPECT_EQ(counts(1).willAppear, 1);
    EXPECT_EQ(counts(1).willDisappear, 1);
    preferences_->close();
    EXPECT_EQ(counts(0).willDisappear, 2);
    EXPECT_EQ(Kit::Application::shared().activationPolicy(), Kit::ActivationPolicy::accessory);
    preferences_->showWindow();
    EXPECT_EQ(counts(0).willAppear, 3);
    // Shown while open: brought to the front, no second appearance.
    preferences_->showWindow();
    EXPECT_EQ(counts(0).willAppear, 3);
}

TEST_F(MainWindowTest, TheWindowButtonsMiniaturiseToggleFullScreenAndClose)
{
    const auto& strip = controller_->windowButtonView();
    const double height = controller_->view()->bounds().height();
    EXPECT_EQ(strip->frame(), (Kit::Rect {22, height - 30, 33.5, 20}));
    EXPECT_EQ(strip->autoresizingMask(), 12u);
    Kit::Window& window = *preferences_->window();
    window.setContentSize({1000, 700});
    EXPECT_EQ(strip->frame().maxY(), controller_->view()->bounds().height() - 10);

    controller_->handleWindowButton(3);
    EXPECT_EQ(window.styleMask() & Kit::Window::fullScreen, 0u);
    controller_->handleWindowButton(2);
    EXPECT_NE(window.styleMask() & Kit::Window::fullScreen, 0u);
    controller_->handleWindowButton(3);
    EXPECT_EQ(window.styleMask() & Kit::Window::fullScreen, 0u);
    controller_->handleWindowButton(1);
    EXPECT_TRUE(window.isMiniaturized());
    window.deminiaturize();
    // The strip's close circle.
    Kit::Testing::EventInjector mouse(window);
    const Kit::Rect close = strip->rectOfButton(0);
    mouse.click(strip->convertTo(Kit::Point {close.midX(), close.midY()}, nullptr));
    EXPECT_FALSE(window.isVisible());
    preferences_->showWindow();
    controller_->handleWindowButton(7);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, RendersEveryPaneLightAndDark)
{
    renderEveryPane("");
}

// The panes as a reader of Chinese sees them.
class MainWindowInChineseTest : public MainWindowTest {
protected:
    ScopedEnvironment language_ {"LANGUAGE", "zh_CN"};
};

TEST_F(MainWindowInChineseTest, RendersEveryPaneLightAndDark)
{
    ASSERT_EQ(LocalizationTable::text("tab.types.free_apps"), "免费应用");
    renderEveryPane("-zh");
}

TEST_F(MainWindowTest, TabRunsFromTheSidebarDownTheSettingsPaneAndTheArrowsMoveTheSidebar)
{
    Kit::Window& window = *preferences_->window();
    auto& settings = dynamic_cast<SettingsController&>(pane(0));
    const auto press = [&](Qt::Key key) { QTest::keyClick(window.qtWidget()->windowHandle(), key); };
    // The sidebar, then the pane's enabled controls from the top.
    std::vector<Kit::Responder*> expected {&table()};
    const std::vector<Kit::Control*> controls {settings.launchOnLoginCheckBox.get(),
             settings.showIconInDockCheckBox.get(), settings.hideStatusBarIconCheckBox.get(),
             settings.enableStatusBarIconAnimationCheckBox.get(), settings.displayCPUTemperatureInMenuBarCheckBox.get(),
             settings.syncFanControlCheckBox.get(), settings.updateIntervalPopUpButton.get(),
             settings.TemperatureUnitPopUpBtn.get(), settings.TriggerConditionsPopUpBtn.get(),
             settings.selectLanguageEnvironmentPopUpBtn.get(), settings.checkUpdateButton.get(),
             settings.websiteButton.get()};
    for (Kit::Control* control : controls)
        if (control->isEnabled())
            expected.push_back(control);
    expected.push_back(&table());
    std::vector<Kit::Responder*> order;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        press(Qt::Key_Tab);
        order.push_back(window.firstResponder());
        if (i == 0)
            Kit::Testing::Snapshot::of(window).save("main-window", "sidebar-focus-light");
    }
    EXPECT_EQ(order, expected);

    // On the sidebar, the arrows move between the panes.
    press(Qt::Key_Down);
    EXPECT_EQ(table().selectedRow(), 1);
    EXPECT_EQ(document(), pane(1).view());
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    EXPECT_EQ(table().selectedRow(), 0);
    EXPECT_EQ(document(), pane(0).view());

    Kit::Appearance::setApplication(Kit::Appearance::darkAqua());
    const Kit::Responder* interval = settings.updateIntervalPopUpButton.get();
    while (window.firstResponder() != interval && order.size() < 40) {
        press(Qt::Key_Tab);
        order.push_back(window.firstResponder());
    }
    Kit::Testing::Snapshot::of(window).save("main-window", "pop-up-focus-dark");
}

TEST_F(MainWindowTest, AssistiveTechnologyFindsEveryElementNamedAndThePopUpsByTheirLabels)
{
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(preferences_->window()->qtWidget());
    ASSERT_NE(root, nullptr);
    std::vector<QAccessibleInterface*> all;
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        all.push_back(node);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    walk(root);
    std::map<QAccessible::Role, std::vector<QString>> names;
    for (QAccessibleInterface* node : all) {
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << "an unnamed element of role " << node->role();
        names[node->role()].push_back(node->text(QAccessible::Name));
    }
    EXPECT_EQ(names[QAccessible::Window], std::vector<QString> {QString::fromStdString(LocalizationTable::text("settings.title"))});
    EXPECT_EQ(names[QAccessible::CheckBox].size(), 6u);
    EXPECT_EQ(names[QAccessible::ListItem].size(), 5u);
    std::vector<QString> labels;
    for (const char* key : {"settings.updateInterval", "settings.temperatureUnit", "settings.triggerCondition", "settings.language"})
        labels.push_back(QString::fromStdString(LocalizationTable::text(key)));
    EXPECT_EQ(names[QAccessible::ComboBox], labels);
    EXPECT_EQ(names.count(QAccessible::Client), 0u);
    EXPECT_EQ(names.count(QAccessible::Grouping), 0u);
}

TEST(MainWindowWithoutScenes, ShowsEmptyPanesAndNamesEachMissingScene)
{
    Kit::Testing::ensureApplication();
    TestAccess::resetForTesting<Storyboard>();
    ConsoleCapture console;
    InitialViewController controller;
    controller.view();
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"没有找到页面: SettingsController", "没有找到页面: SensorsViewController",
        "没有找到页面: TutorialViewController", "没有找到页面: FreeAppsViewController", "没有找到页面: UserSupportController"}));
    ASSERT_NE(controller.scrollView->documentView(), nullptr);
    EXPECT_EQ(controller.scrollView->documentView()->frame().size, (Kit::Size {680, 540}));
    controller.selectTab(2);
    EXPECT_EQ(controller.shownTab(), 2);
}

} // namespace
