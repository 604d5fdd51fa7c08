#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "Platform/Kit/WindowController.h"
#include "QVToolsKit/UI/QVProgressHUD.h"
#include "QVToolsKit/UI/QVProgressIndicatorLayer.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Kit;
using namespace QVToolsKit;
using Hud = QVToolsKit::QVProgressHUD;
using Kind = QVProgressHUDMode::Kind;

namespace {

// A host view that records the clicks it receives.
class Host : public View {
public:
    using View::View;
    void mouseDown(const Event&) override { ++clicks; }
    int clicks = 0;
};

class QVProgressHUDTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        useScreens(1);
        // The shipped status images, through a bundle whose resources are the source tree's.
        bundle_ = std::filesystem::temp_directory_path() / ("hud-bundle-" + std::to_string(::getpid()));
        std::filesystem::remove_all(bundle_);
        std::filesystem::create_directories(bundle_ / "Contents");
        std::filesystem::create_directory_symlink(AERLO_SOURCE_RESOURCES, bundle_ / "Contents" / "Resources");
        Foundation::Bundle::setMainBundlePath(bundle_);
        TestAccess::resetForTesting<Hud>();
        for (auto name : {Hud::willAppearNotification, Hud::didAppearNotification, Hud::willDisappearNotification,
                 Hud::didDisappearNotification, Hud::didReceiveMouseDownEventNotification})
            tokens_.push_back(Foundation::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const Foundation::Notification& n) { posted_.push_back(n.name); }));
    }
    void TearDown() override
    {
        tokens_.clear();
        TestAccess::resetForTesting<Hud>();
        Foundation::Bundle::setMainBundlePath({});
        std::filesystem::remove_all(bundle_);
        KitTest::TearDown();
    }
    void useScreens(int count)
    {
        std::vector<Screen::Description> screens;
        for (int i = 0; i < count; ++i)
            screens.push_back({{i * 800.0, 0, 800, 600}, {i * 800.0, 0, 800, 600}, 1, "Screen " + std::to_string(i), i == 0, {}, {}});
        Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(screens));
    }
    Hud& hud() { return *Hud::shared(); }
    Window* window() { return hud().windowController() ? hud().windowController()->window() : nullptr; }
    int count(std::string_view name) const { return static_cast<int>(std::count(posted_.begin(), posted_.end(), name)); }
    // The time at which the HUD has gone, in steps of 0.01 s.
    double hiddenAfter(double limit)
    {
        for (double t = 0; t <= limit + 1e-9; t += 0.01) {
            if (hud().superview() == nullptr)
                return t;
            advance(0.01);
        }
        return -1;
    }

    std::filesystem::path bundle_;
    std::vector<Foundation::ObserverToken> tokens_;
    std::vector<std::string> posted_;
};

} // namespace

TEST_F(QVProgressHUDTest, FadesInInAFloatingSeeThroughWindowAndDismissRunsTheCompletionOnce)
{
    // The status label belongs to the HUD from its creation, before any show.
    EXPECT_EQ(hud().statusLabel()->superview(), &hud());
    Hud::show();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->level(), Window::Level::floating);
    EXPECT_FALSE(window()->isOpaque());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(hud().superview(), window()->contentView().get());
    EXPECT_EQ(posted_, std::vector<std::string> {"QVProgressHUD.willAppear"});
    advance(0.19);
    EXPECT_EQ(count(Hud::didAppearNotification), 0);
    advance(0.02);
    EXPECT_EQ(count(Hud::didAppearNotification), 1);
    EXPECT_DOUBLE_EQ(hud().alphaValue(), 1);
    ASSERT_NE(hud().progressIndicator(), nullptr);
    EXPECT_TRUE(hud().progressIndicator()->isRunning());

    int runs = 0;
    Hud::dismiss(0, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    advance(0.3);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(count(Hud::didDisappearNotification), 1);
    EXPECT_EQ(hud().superview(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_DOUBLE_EQ(hud().alphaValue(), 0);
    EXPECT_FALSE(hud().progressIndicator()->isRunning());

    Hud::dismiss(0, [&] { ++runs; }); // hidden: at once, once
    advance(1);
    EXPECT_EQ(runs, 2);
}

TEST_F(QVProgressHUDTest, StatusTextsStayForATimeThatGrowsWithTheirCharacters)
{
    EXPECT_DOUBLE_EQ(Hud::displayTime(""), 2.0);
    std::string accented;
    for (int i = 0; i < 59; ++i)
        accented += "e\xCC\x81"; // e + combining acute: one character each
    EXPECT_NEAR(Hud::displayTime(accented), 4.04, 1e-9);
    EXPECT_DOUBLE_EQ(Hud::displayTime(std::string(200, 'x')), 5.0);

    Hud::showTextWithStatus("");
    advance(1.99);
    EXPECT_EQ(count(Hud::willDisappearNotification), 0);
    advance(0.02);
    EXPECT_EQ(count(Hud::willDisappearNotification), 1);
}

TEST_F(QVProgressHUDTest, AStatusShowClearsAnEarlierDismissAndANewShowKeepsTheHUDUp)
{
    int runs = 0;
    Hud::dismiss(3, [&] { ++runs; });
    Hud::showSuccessWithStatus("ok");
    EXPECT_NEAR(hiddenAfter(2.5), 2.2, 0.011); // hidden at 2.0, gone after the fade
    advance(5);
    EXPECT_EQ(runs, 0);

    // A spinner shown while a status waits to hide stays up.
    Hud::showInfoWithStatus("one");
    advance(1);
    Hud::showWithStatus("busy");
    advance(10);
    EXPECT_NE(hud().superview(), nullptr);
    EXPECT_EQ(hud().mode().kind(), Kind::indeterminate);
}

TEST_F(QVProgressHUDTest, ShowAndDismissInOneTurnEndsTornDown)
{
    Hud::show();
    Hud::show();
    Hud::dismiss(0, {});
    advance(1);
    EXPECT_EQ(count(Hud::didDisappearNotification), 1);
    EXPECT_EQ(count(Hud::didAppearNotification), 0);
    EXPECT_EQ(hud().superview(), nullptr);
    EXPECT_DOUBLE_EQ(hud().alphaValue(), 0);
    EXPECT_TRUE(hud().isHidden());
}

TEST_F(QVProgressHUDTest, WithoutAScreenAShowDoesNothingUntilOneAppears)
{
    useScreens(0);
    TestAccess::resetForTesting<Hud>();
    Hud::showWithStatus("nothing");
    advance(1);
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(posted_.empty());
    useScreens(1);
    Hud::show();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->frame(), (Rect {0, 0, 800, 600}));
}

TEST_F(QVProgressHUDTest, InItsOwnWindowOnlyAMaskTakesTheWholeScreensClicks)
{
    Hud::showWithStatus("Loading");
    advance(0.3);
    window()->contentView()->displayIfNeeded();
    ASSERT_TRUE(window()->inputRect());
    EXPECT_EQ(*window()->inputRect(), hud().boxRect());
    EXPECT_NEAR(hud().boxRect().midX(), 400, 1);

    Hud::setDefaultMaskType(QVProgressHUDMaskType::black());
    hud().setNeedsDisplay();
    window()->contentView()->displayIfNeeded();
    EXPECT_FALSE(window()->inputRect());
}

TEST_F(QVProgressHUDTest, ClicksInAContainerFollowTheMaskAndDismissible)
{
    Window host({0, 0, 400, 300}, Window::titled);
    auto container = std::make_shared<Host>(Rect {0, 0, 400, 300});
    host.setContentView(container);
    host.orderFront();
    Hud::setContainerView(container);
    Hud::showWithStatus("Wait");
    advance(0.3);
    EXPECT_EQ(hud().superview(), container.get());
    EXPECT_FALSE(window()->isVisible());
    host.contentView()->displayIfNeeded();
    EXPECT_EQ(hud().frame(), container->bounds());

    Testing::EventInjector mouse(host);
    mouse.click({200, 150});
    EXPECT_EQ(container->clicks, 1);
    Hud::setDefaultMaskType(QVProgressHUDMaskType::clear());
    mouse.click({200, 150});
    EXPECT_EQ(container->clicks, 1);
    EXPECT_EQ(count(Hud::didReceiveMouseDownEventNotification), 2);

    Hud::setDismissable(true);
    mouse.click({20, 20});
    advance(0.3);
    EXPECT_EQ(hud().superview(), nullptr);
}

TEST_F(QVProgressHUDTest, AContainerSetWhileShownTakesTheHUDAtTheNextShow)
{
    Hud::show();
    advance(0.3);
    auto container = std::make_shared<View>(Rect {0, 0, 300, 200});
    Hud::setContainerView(container);
    Hud::showWithStatus("moved");
    EXPECT_EQ(hud().superview(), container.get());
    EXPECT_FALSE(window()->isVisible());
}

TEST_F(QVProgressHUDTest, AutomaticStyleUnderDarkAquaUsesWhiteTextABlackBoxAndTheWhiteImages)
{
    Appearance::setApplication(Appearance::darkAqua());
    EXPECT_EQ(Hud::imageForStatus(Kind::success, hud().style()), "success_white@2x.png");
    EXPECT_EQ(Hud::imageForStatus(Kind::error, QVProgressHUDStyle::custom(Colour::red(), Colour::blue())), "error_black@2x.png");
    Hud::showSuccessWithStatus("Saved");
    advance(0.3);
    EXPECT_EQ(hud().statusLabel()->textColor(), Colour::white(0.95, 1));
    auto image = std::dynamic_pointer_cast<ImageView>(hud().indicator());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->image().size(), (Size {40, 40}));
    EXPECT_GT(image->image().colourAt({20, 37.5}).alphaComponent(), 0.5); // the ring's top
    const auto snapshot = Testing::Snapshot::of(*window());
    const Colour box = snapshot.colourAt({hud().boxRect().minX() + 4, hud().boxRect().midY()});
    EXPECT_NEAR(box.alphaComponent(), 0.9, 0.01);
    EXPECT_NEAR(box.redComponent(), 0, 0.01);
}

TEST_F(QVProgressHUDTest, AMissingImageLeavesTheSlotEmpty)
{
    Foundation::Bundle::setMainBundlePath(std::filesystem::temp_directory_path() / "no-such-bundle.app");
    EXPECT_FALSE(Hud::bundleImage("info_black@2x.png").isValid());
    Hud::showInfoWithStatus("No image");
    ASSERT_NE(hud().indicator(), nullptr);
    window()->contentView()->displayIfNeeded();
    EXPECT_EQ(hud().size().height, 18 + 60 + 4 + Font::systemFont(18).sizeOf("No image").height + 4 + 18);
}

TEST_F(QVProgressHUDTest, LaysTheBoxOutFromItsContent)
{
    QVProgressHUDLayout::Input in;
    in.host = {800, 600};
    in.indicator = Size {60, 60};
    in.text = {100, 22};
    auto out = QVProgressHUDLayout::compute(in);
    EXPECT_EQ(out.box, (Rect {327, 237, 146, 126}));
    EXPECT_EQ(*out.indicatorFrame, (Rect {370, 285, 60, 60}));
    EXPECT_EQ(out.labelFrame, (Rect {345, 251, 110, 22}));

    in.position = QVProgressHUDPosition::top;
    out = QVProgressHUDLayout::compute(in);
    EXPECT_EQ(out.box.y(), 357);
    EXPECT_EQ(out.indicatorFrame->y(), 405);

    in.text = {2000, 22};
    EXPECT_EQ(QVProgressHUDLayout::compute(in).labelFrame.width(), 800 - 4 * 18);

    in.mode = Kind::success;
    in.indicator = Size {40, 40};
    in.text = {};
    out = QVProgressHUDLayout::compute(in);
    EXPECT_EQ(out.size.height, 60 + 4 + 36);

    in.mode = Kind::text;
    in.indicator.reset();
    EXPECT_EQ(QVProgressHUDLayout::compute(in).size, (Size {36, 36}));
}

TEST_F(QVProgressHUDTest, DrawsTheMaskAndARoundedTranslucentBox)
{
    Hud::setDefaultMaskType(QVProgressHUDMaskType::black());
    Hud::setOpacity(0.5);
    Hud::showTextWithStatus("Masked");
    advance(0.3);
    auto snapshot = Testing::Snapshot::of(*window());
    const Rect box = hud().boxRect();
    EXPECT_NEAR(snapshot.alphaAt({10, 10}), 0.6, 0.01);
    const Colour inside = snapshot.colourAt({box.minX() + 3, box.midY()});
    EXPECT_NEAR(inside.alphaComponent(), 0.8, 0.01); // white at 0.5 over black at 0.6
    EXPECT_NEAR(inside.redComponent(), 0.625, 0.02);
    EXPECT_NEAR(snapshot.alphaAt({box.minX() + 1, box.minY() + 1}), 0.6, 0.02); // the corner is cut

    Hud::setDefaultMaskType(QVProgressHUDMaskType::custom(Colour::red().withAlphaComponent(0.25)));
    hud().setNeedsDisplay();
    snapshot = Testing::Snapshot::of(*window());
    EXPECT_NEAR(snapshot.colourAt({10, 10}).redComponent(), 1, 0.02);
    EXPECT_NEAR(snapshot.alphaAt({10, 10}), 0.25, 0.01);
}

TEST_F(QVProgressHUDTest, RendersItsStatesInLightAndDark)
{
    for (const bool dark : {false, true}) {
        Appearance::setApplication(dark ? Appearance::darkAqua() : Appearance::aqua());
        const std::string suffix = dark ? "-dark" : "-light";
        const auto shoot = [&](const std::string& name) {
            advance(0.3);
            auto snapshot = Testing::Snapshot::of(*window(), 2);
            const Rect box = hud().boxRect(); // laid out by the snapshot's display pass
            EXPECT_GT(snapshot.alphaAt({box.midX(), box.maxY() - 3}), 0.85) << name;
            // The box over a plain desktop, for people to look at.
            const Image cut = snapshot.image().cropped(int(box.minX() - 24) * 2, int(600 - box.maxY() - 24) * 2,
                int(box.width() + 48) * 2, int(box.height() + 48) * 2);
            const Size size {cut.pixelsWide() / 2.0, cut.pixelsHigh() / 2.0};
            const Image shown = Image::withSize(size, false, [&](const Rect& r) {
                GraphicsContext::current()->fillRect(r, dark ? Colour::white(0.22) : Colour::white(0.82));
                cut.draw(r);
                return true;
            }, 2);
            Testing::Snapshot(shown).save("framework", "hud-" + name + suffix);
        };
        Hud::showWithStatus("Loading…");
        advance(0.1);
        shoot("spinner");
        Hud::showSuccessWithStatus("Saved");
        shoot("success");
        Hud::showErrorWithStatus("Could not connect");
        shoot("error");
        Hud::showInfoWithStatus("Fans back in automatic mode");
        shoot("info");
        Hud::showTextWithStatus("Just text");
        shoot("text");
        const Image dot = Image::withSize({32, 32}, false, [](const Rect& r) {
            GraphicsContext::current()->fillPath(BezierPath::oval(r.insetBy(2, 2)), Colour::fromRGB255(10, 132, 255));
            return true;
        }, 2);
        Hud::showImage(dot, "Custom image");
        shoot("custom");
        Hud::dismiss(0, {});
        advance(0.3);
    }
}
