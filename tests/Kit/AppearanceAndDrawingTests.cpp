#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Kit;

namespace {

class AppearanceTest : public Testing::KitTest {};

TEST(AppearanceNames, BestMatchNeverCrossesLightAndDark)
{
    const std::string aqua(Appearance::aquaName), dark(Appearance::darkAquaName);
    struct Case {
        std::string_view appearance;
        std::vector<std::string> names;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {Appearance::darkAquaName, {aqua, dark}, dark},
        {Appearance::aquaName, {aqua, dark}, aqua},
        {Appearance::vibrantDarkName, {aqua, dark}, dark},
        {Appearance::highContrastAquaName, {dark, aqua}, aqua},
        {Appearance::vibrantLightName,
         {std::string(Appearance::vibrantLightName), aqua},
         std::string(Appearance::vibrantLightName)},
        {Appearance::darkAquaName, {aqua}, std::nullopt},
        {Appearance::aquaName, {}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Appearance(std::string(c.appearance)).bestMatch(c.names), c.expected) << c.appearance;
}

TEST_F(AppearanceTest, EffectiveAppearanceFollowsTheTreeAndNotifies)
{
    class Watching : public View {
    public:
        using View::View;
        void viewDidChangeEffectiveAppearance() override { ++changes; }
        int changes = 0;
    };
    int notices = 0;
    auto token = Appearance::observeEffectiveApplication([&] { ++notices; });
    auto root = std::make_shared<View>(Rect {0, 0, 10, 10});
    auto leaf = std::make_shared<Watching>(Rect {0, 0, 5, 5});
    root->addSubview(leaf);
    EXPECT_FALSE(leaf->effectiveAppearance().isDark());
    Appearance::setApplication(Appearance::darkAqua());
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(leaf->effectiveAppearance().isDark());
    EXPECT_EQ(leaf->changes, 1);
    // The same effective appearance again: no notice.
    Appearance::setSystem(Appearance::darkAqua());
    EXPECT_EQ(notices, 1);
    root->setAppearance(Appearance::aqua());
    EXPECT_FALSE(leaf->effectiveAppearance().isDark());
    EXPECT_EQ(leaf->changes, 2);
    Appearance::setApplication(std::nullopt);
    EXPECT_EQ(notices, 1); // the system is dark too
    token.reset();
    Appearance::setSystem(Appearance::aqua());
    EXPECT_EQ(notices, 1);
}

TEST_F(AppearanceTest, DynamicColoursResolveWhereTheyDraw)
{
    const Colour dynamic = Colour::dynamic(Colour {1, 1, 1, 1}, Colour {0, 0, 0, 1});
    EXPECT_EQ(dynamic.resolved(Appearance::aqua()), (Colour {1, 1, 1, 1}));
    EXPECT_EQ(dynamic.resolved(Appearance::darkAqua()), (Colour {0, 0, 0, 1}));
    {
        Appearance::CurrentScope scope(Appearance::darkAqua());
        EXPECT_EQ(dynamic.redComponent(), 0);
        EXPECT_EQ(dynamic.withAlphaComponent(0.5).alphaComponent(), 0.5);
        EXPECT_EQ(dynamic.withAlphaComponent(0.5).redComponent(), 0);
    }
    EXPECT_EQ(dynamic.redComponent(), 1);
    EXPECT_TRUE(dynamic.withAlphaComponent(0.3).isDynamic());
    EXPECT_EQ(Colour::white(0.5, 0.25), (Colour {0.5, 0.5, 0.5, 0.25}));
    // Unclamped until painted.
    EXPECT_EQ(Colour(1.5, -0.5, 0, 1).redComponent(), 1.5);

    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    view->layer().setBackgroundColor(Colour::dynamic(Colour::red(), Colour::blue()));
    EXPECT_COLOUR_NEAR(Testing::Snapshot::of(*view).colourAt({5, 5}), Colour::red());
    view->setAppearance(Appearance::darkAqua());
    EXPECT_COLOUR_NEAR(Testing::Snapshot::of(*view).colourAt({5, 5}), Colour::blue());
}

TEST_F(AppearanceTest, FontsArePixelSized)
{
    const Font font = Font::systemFont(12);
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_GT(font.lineHeight(), 12);
    EXPECT_LT(font.lineHeight(), 16);
    EXPECT_NEAR(font.widthOf("1234"), 4 * Font::systemFont(12).widthOf("1"), 0.5);
    EXPECT_GT(Font::systemFont(24).widthOf("Fan"), 1.8 * font.widthOf("Fan"));
    EXPECT_TRUE(Font::monospacedDigitSystemFont(12).isMonospacedDigit());
    EXPECT_EQ(Font::boldSystemFont(12).weight(), Font::Weight::bold);
    EXPECT_EQ(font.widthOf(""), 0);
}

TEST_F(AppearanceTest, ImagesDrawTintAndResize)
{
    Image image = Image::withSize({20, 10}, false, [](const Rect&) {
        GraphicsContext::current()->fillRect({0, 0, 10, 10}, Colour {0, 0, 0, 0.6});
        return true;
    });
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.size(), (Size {20, 10}));
    EXPECT_NEAR(image.colourAt({5, 5}).alphaComponent(), 0.6, 2.0 / 255);
    EXPECT_EQ(image.colourAt({15, 5}).alphaComponent(), 0);

    // Reference semantics: a copy of the handle shares the template flag; copy() does not.
    Image alias = image;
    alias.setTemplate(true);
    EXPECT_TRUE(image.isTemplate());
    Image independent = image.copy();
    independent.setTemplate(false);
    EXPECT_TRUE(image.isTemplate());

    const Image tinted = image.tinted(Colour::red());
    EXPECT_COLOUR_NEAR(tinted.colourAt({5, 5}), (Colour {1, 0, 0, 0.6}));
    EXPECT_EQ(tinted.colourAt({15, 5}).alphaComponent(), 0);
    EXPECT_FALSE(tinted.isTemplate());

    const Image big = image.resized({40, 20});
    EXPECT_EQ(big.size(), (Size {40, 20}));
    EXPECT_NEAR(big.colourAt({10, 10}).alphaComponent(), 0.6, 2.0 / 255);

    // Drawn upright into a y-up view: the filled half stays on the left.
    class Showing : public View {
    public:
        Showing(Image i) : View(Rect {0, 0, 20, 10}), image_(std::move(i)) {}
        void draw(const Rect&) override { image_.draw(bounds()); }
        Image image_;
    };
    auto view = std::make_shared<Showing>(tinted);
    const auto shot = Testing::Snapshot::of(*view, 2);
    EXPECT_COLOUR_NEAR(shot.colourAt({5, 5}), (Colour {1, 0, 0, 0.6}));
    EXPECT_EQ(shot.alphaAt({15, 5}), 0);

    // Empty sizes are tolerated.
    EXPECT_FALSE(Image(Size {0, 5}).isValid());
    EXPECT_FALSE(Image().resized({0, 0}).isValid());
    EXPECT_FALSE(Image::named("no-such-image").isValid());
}

TEST_F(AppearanceTest, LockFocusDrawsIntoTheImageYUp)
{
    Image image(Size {10, 10}, 2);
    image.lockFocus();
    ASSERT_NE(GraphicsContext::current(), nullptr);
    Colour::blue().setFill();
    BezierPath::rect({0, 0, 10, 5}).fill();
    image.unlockFocus();
    EXPECT_EQ(GraphicsContext::current(), nullptr);
    EXPECT_EQ(image.pixelsWide(), 20);
    EXPECT_COLOUR_NEAR(image.colourAt({5, 2}), Colour::blue());
    EXPECT_EQ(image.colourAt({5, 8}).alphaComponent(), 0);
}

TEST_F(AppearanceTest, ArcsAndRoundedRects)
{
    BezierPath arc;
    arc.appendArc({0, 0}, 10, 0, 90, false);
    ASSERT_GE(arc.elementCount(), 2u);
    EXPECT_EQ(arc.elements()[0].points[0], (Point {10, 0}));
    const Point end = arc.currentPoint();
    EXPECT_NEAR(end.x, 0, 1e-9);
    EXPECT_NEAR(end.y, 10, 1e-9);
    BezierPath clockwise;
    clockwise.appendArc({0, 0}, 10, 0, 90, true); // the long way round, through −y
    EXPECT_EQ(clockwise.elementCount(), 4u);
    EXPECT_TRUE(BezierPath::roundedRect({0, 0, 20, 20}, 5, 5).contains({10, 10}));
    EXPECT_FALSE(BezierPath::roundedRect({0, 0, 20, 20}, 5, 5).contains({0.3, 0.3}));
    EXPECT_TRUE(BezierPath::oval({0, 0, 20, 10}).contains({10, 5}));
}

} // namespace
