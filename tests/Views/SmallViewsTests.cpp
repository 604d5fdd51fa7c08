#include "Classes/Configure/GlobalUI/AppearanceManager.h"
#include "Classes/Views/ClickThroughImageView.h"
#include "Classes/Views/FlippedView.h"
#include "Classes/Views/GradientView.h"
#include "Classes/Views/QVBaseBox.h"
#include "Classes/Views/QVNSPopUpButton.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Kit/GraphicsContext.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <filesystem>
#include <fstream>

using namespace Aerlo;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

const Kit::Colour boxLight = Kit::Colour::whiteColor().withAlphaComponent(0.4);
const Kit::Colour boxDark = Kit::Colour::black().withAlphaComponent(0.15);

class SmallViewsTest : public Testing::ViewsTest {
protected:
    void TearDown() override
    {
        TestAccess::resetForTesting<Kit::Appearance>();
        ViewsTest::TearDown();
    }
};

// Counts the appearance changes that reach boxes.
class CountingBox : public QVBaseBox {
public:
    using QVBaseBox::QVBaseBox;
    ~CountingBox() override { --alive; }
    void observeValueForKeyPath(const std::string& keyPath) override
    {
        ++heard;
        QVBaseBox::observeValueForKeyPath(keyPath);
    }
    static inline int heard = 0;
    static inline int alive = 0;
};

// Records the presses that reach it.
class PressRecorder : public Kit::View {
public:
    using Kit::View::View;
    void mouseDown(const Kit::Event&) override { ++presses; }
    int presses = 0;
};

TEST(AppearanceModeOfTheApplication, FollowsTheAutomaticSettingThenTheDarkFamily)
{
    TempRoot root;
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    struct Case {
        std::optional<std::string_view> appearance;
        std::int64_t automatic;
        int mode;
    };
    const Case cases[] = {
        {std::nullopt, 0, 0},
        {Kit::Appearance::aquaName, 0, 0},
        {Kit::Appearance::darkAquaName, 0, 1},
        {Kit::Appearance::highContrastDarkAquaName, 0, 1},
        {Kit::Appearance::vibrantDarkName, 0, 1},
        {Kit::Appearance::highContrastAquaName, 0, 0},
        {Kit::Appearance::aquaName, 1, 2},
        {Kit::Appearance::darkAquaName, 1, 2},
        {Kit::Appearance::darkAquaName, 2, 1},
    };
    for (const Case& c : cases) {
        TestAccess::resetForTesting<Kit::Appearance>();
        if (c.appearance)
            Kit::Appearance::setApplication(Kit::Appearance(std::string(*c.appearance)));
        Foundation::UserDefaults::standard().set(c.automatic, "AppleInterfaceStyleSwitchesAutomatically");
        EXPECT_EQ(AppearanceManager::currentAppearanceMode(), c.mode)
            << (c.appearance ? *c.appearance : "none") << " " << c.automatic;
    }
    TestAccess::resetForTesting<Kit::Appearance>();
    TestAccess::resetForTesting<Foundation::UserDefaults>();
}

TEST(AppearanceModeOfTheApplication, ReadsTheAutomaticSwitchFromTheGlobalDomain)
{
    TempRoot root;
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    TestAccess::resetForTesting<Kit::Appearance>();
    std::filesystem::create_directories(Foundation::Paths::preferences());
    std::ofstream(Foundation::Paths::preferences() / ".GlobalPreferences.plist")
        << Foundation::PropertyListValue(
               Foundation::PropertyListValue::Dictionary {{"AppleInterfaceStyleSwitchesAutomatically", 1}})
               .toJSONText();
    EXPECT_EQ(AppearanceManager::currentAppearanceMode(), AppearanceManager::automatic);
    TestAccess::resetForTesting<Foundation::UserDefaults>();
}

TEST_F(SmallViewsTest, ADefaultGradientViewIsClearAndHorizontal)
{
    Kit::View& content = makeWindow({100, 60});
    auto view = makeFromStoryboard<GradientView>({0, 0, 100, 60});
    content.addSubview(view);
    EXPECT_EQ(&view->layer(), view->gradientLayer().get());
    EXPECT_EQ(view->gradientLayer()->startPoint(), (Kit::Point {0, 0.5}));
    EXPECT_EQ(view->gradientLayer()->endPoint(), (Kit::Point {1, 0.5}));
    EXPECT_EQ(view->gradientLayer()->locations(), (std::vector<double> {0, 1}));
    EXPECT_TRUE(Snapshot::of(content).isClear({0, 0, 100, 60}));
}

TEST_F(SmallViewsTest, GradientsRunAcrossOrUpAndTheOpacityScalesOnlyAlpha)
{
    Kit::View& content = makeWindow({100, 60});
    auto view = makeFromStoryboard<GradientView>({0, 0, 100, 60}, [](GradientView& v) {
        v.setFirstColor(Kit::Colour::red());
        v.setSecondColor(Kit::Colour::blue());
    });
    content.addSubview(view);
    const Snapshot across = Snapshot::of(content);
    across.save("views", "gradient-horizontal");
    EXPECT_COLOUR_NEAR(across.colourAt({0.5, 30}), Kit::Colour::red());
    EXPECT_COLOUR_NEAR(across.colourAt({99.5, 30}), Kit::Colour::blue());

    view->setIsHorizontal(false);
    const Snapshot up = Snapshot::of(content);
    up.save("views", "gradient-vertical");
    EXPECT_COLOUR_NEAR(up.colourAt({50, 0.5}), Kit::Colour::red()) << "the first colour at the bottom";
    EXPECT_COLOUR_NEAR(up.colourAt({50, 59.5}), Kit::Colour::blue());

    view->setLayerOpacity(0.5f);
    const Snapshot faint = Snapshot::of(content);
    EXPECT_COLOUR_NEAR_TOL(faint.colourAt({50, 0.5}), (Kit::Colour {1, 0, 0, 0.5}), 0.02);
    EXPECT_EQ(view->gradientLayer()->colors(), (std::vector<Kit::Colour> {Kit::Colour::red(), Kit::Colour::blue()}));
}

TEST_F(SmallViewsTest, BoxesFollowTheAppearanceWhileTheSystemSwitchesItself)
{
    defaults().set(std::int64_t {1}, "AppleInterfaceStyleSwitchesAutomatically");
    Kit::View& content = makeWindow({120, 80});
    auto first = makeFromStoryboard<QVBaseBox>({10, 10, 100, 60});
    auto second = std::make_shared<QVBaseBox>(Kit::Rect {0, 0, 40, 40});
    content.addSubview(first);
    EXPECT_EQ(first->boxType(), Kit::Box::BoxType::custom);
    EXPECT_EQ(first->titlePosition(), Kit::Box::TitlePosition::noTitle);
    EXPECT_EQ(first->cornerRadius(), 16);
    EXPECT_EQ(first->borderWidth(), 0);
    EXPECT_EQ(first->contentViewMargins(), (Kit::Size {0, 0}));
    EXPECT_EQ(first->fillColor(), boxLight);
    EXPECT_EQ(second->fillColor(), boxLight);
    const Snapshot light = Snapshot::of(content);
    light.save("views", "box-light");
    EXPECT_COLOUR_NEAR(light.colourAt({60, 40}), boxLight);
    EXPECT_LT(light.alphaAt({10.5, 10.5}), 0.02) << "the radius-16 corner is transparent";

    Kit::Appearance::setSystem(Kit::Appearance::darkAqua());
    EXPECT_EQ(first->fillColor(), boxDark);
    EXPECT_EQ(second->fillColor(), boxDark);
    const Snapshot dark = Snapshot::of(content);
    dark.save("views", "box-dark");
    EXPECT_COLOUR_NEAR(dark.colourAt({60, 40}), boxDark);
    EXPECT_LT(dark.alphaAt({109.5, 69.5}), 0.02);
}

TEST_F(SmallViewsTest, ABoxObservesOnceAndNotAfterItIsGone)
{
    CountingBox::heard = 0;
    {
        auto box = makeFromStoryboard<CountingBox>({0, 0, 50, 50});
        ++CountingBox::alive;
        EXPECT_TRUE(box->isObservingAppearance());
        Kit::Appearance::setApplication(Kit::Appearance::darkAqua());
        EXPECT_EQ(CountingBox::heard, 1) << "the constructor and awakeFromNib hold one observation";
        EXPECT_EQ(box->fillColor(), boxDark);
    }
    EXPECT_EQ(CountingBox::alive, 0);
    Kit::Appearance::setApplication(Kit::Appearance::aqua());
    EXPECT_EQ(CountingBox::heard, 1);
}

TEST_F(SmallViewsTest, ClicksGoThroughTheImageButReachItsSubviews)
{
    Kit::View& content = makeWindow({200, 200});
    auto behind = std::make_shared<PressRecorder>(Kit::Rect {0, 0, 200, 200});
    content.addSubview(behind);
    auto image = std::make_shared<ClickThroughImageView>(Kit::Coder {{50, 50, 100, 100}});
    content.addSubview(image);
    EventInjector input(window());
    input.click({100, 100});
    EXPECT_EQ(behind->presses, 1);

    // A subview where it is drawn: (10, 10) inside the image view, (60, 60) in the window.
    auto badge = std::make_shared<PressRecorder>(Kit::Rect {10, 10, 20, 20});
    image->addSubview(badge);
    auto front = std::make_shared<PressRecorder>(Kit::Rect {15, 15, 20, 20});
    image->addSubview(front);
    EXPECT_EQ(image->hitTest({62, 62}), badge.get());
    EXPECT_EQ(image->hitTest({70, 70}), front.get()) << "the frontmost subview first";
    EXPECT_EQ(image->hitTest({20, 20}), nullptr);
    input.click({62, 62});
    EXPECT_EQ(badge->presses, 1);
    input.click({120, 120});
    EXPECT_EQ(behind->presses, 2);
}

TEST_F(SmallViewsTest, TheImageIsATemplateTintedBlackAt60Percent)
{
    Kit::Image square = Kit::Image::withSize({40, 40}, false, [](const Kit::Rect& rect) {
        Kit::GraphicsContext::current()->fillRect(rect, Kit::Colour::red());
        return true;
    });
    Kit::View& content = makeWindow({60, 60});
    auto image = std::make_shared<ClickThroughImageView>(Kit::Coder {{10, 10, 40, 40}}, square);
    content.addSubview(image);
    EXPECT_TRUE(image->image().isTemplate());
    EXPECT_FALSE(image->imageTintColor().has_value());
    const Snapshot tinted = Snapshot::of(content);
    tinted.save("views", "click-through-image");
    EXPECT_COLOUR_NEAR(tinted.colourAt({30, 30}), (Kit::Colour {0, 0, 0, 0.6}));

    image->setImageTintColor(Kit::Colour::blue());
    EXPECT_EQ(image->contentTintColor(), Kit::Colour::blue());
    EXPECT_COLOUR_NEAR(Snapshot::of(content).colourAt({30, 30}), Kit::Colour::blue());
}

TEST_F(SmallViewsTest, FlippedViewsRunDownward)
{
    EXPECT_TRUE(FlippedView(Kit::Rect {}).isFlipped());
    EXPECT_TRUE(makeFromStoryboard<FlippedView>({0, 0, 10, 10})->isFlipped());
}

TEST_F(SmallViewsTest, APopUpButtonShowsItsBackgroundAtTheNextLayerUpdate)
{
    Kit::View& content = makeWindow({140, 40});
    auto button = makeFromStoryboard<QVNSPopUpButton>({10, 8, 120, 24});
    content.addSubview(button);
    window().displayIfNeeded();
    EXPECT_EQ(button->layer().backgroundColor(), Kit::Colour::clear());
    button->setBackgroundColor(Kit::Colour::green());
    EXPECT_EQ(button->layer().backgroundColor(), Kit::Colour::clear());
    button->setNeedsDisplay();
    window().displayIfNeeded();
    EXPECT_EQ(button->layer().backgroundColor(), Kit::Colour::green());

    // It draws as a pop-up button over that background: the arrows at the right end.
    button->addItem("Left Fan");
    const Snapshot shot = Snapshot::of(*button, 2);
    shot.save("views", "qvns-pop-up-button");
    int arrows = 0;
    for (double x = 104; x < 112; x += 0.5)
        for (double y = 5; y < 19; y += 0.5)
            arrows += shot.colourAt({x, y}).greenComponent() < 0.5;
    EXPECT_GT(arrows, 4);
}

} // namespace
