#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/View.h"
#include "QVToolsKit/UI/QVProgressIndicatorLayer.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Kit;
using QVToolsKit::QVProgressIndicatorLayer;

namespace {

class QVProgressIndicatorLayerTest : public Testing::KitTest {
protected:
    double shown(int fin) const { return spinner_->finLayers()[fin]->presentation().opacity; }

    std::shared_ptr<QVProgressIndicatorLayer> spinner_ = QVProgressIndicatorLayer::make(60, Colour::black());
};

} // namespace

TEST_F(QVProgressIndicatorLayerTest, TwelveFinsStandRoundTheCentreClockwiseAndStandStill)
{
    EXPECT_EQ(spinner_->bounds(), (Rect {-30, -30, 60, 60}));
    ASSERT_EQ(spinner_->finLayers().size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const Layer& fin = *spinner_->finLayers()[i];
        EXPECT_NEAR(fin.bounds().width(), 5.7, 1e-9);
        EXPECT_NEAR(fin.bounds().height(), 18, 1e-9);
        EXPECT_NEAR(fin.cornerRadius(), 2.85, 1e-9);
        EXPECT_EQ(fin.anchorPoint(), (Point {0.5, -0.63}));
        EXPECT_EQ(fin.position(), (Point {30, 30}));
        EXPECT_EQ(fin.opacity(), 0);
        EXPECT_EQ(fin.superlayer(), spinner_.get());
    }
    EXPECT_NEAR(spinner_->finLayers()[3]->affineTransform().rotationAngle(), -6.282185 / 4, 1e-9);
    EXPECT_FALSE(spinner_->isRunning());
    EXPECT_EQ(spinner_->animationTimer(), nullptr);
}

TEST_F(QVProgressIndicatorLayerTest, LightsOneFinEveryTwentiethOfASecondAlsoInAModalSession)
{
    spinner_->startSpinning();
    EXPECT_EQ(spinner_->fposition(), 11);
    advance(0);
    EXPECT_EQ(spinner_->fposition(), 0);
    EXPECT_DOUBLE_EQ(shown(0), 1.0);
    advance(0.35);
    EXPECT_EQ(spinner_->fposition(), 7);
    EXPECT_NEAR(shown(0), 0.5, 1e-6); // half of its 0.7 s fade
    advance(0.25); // the thirteenth tick, while the first fade still runs
    EXPECT_EQ(spinner_->fposition(), 0);
    EXPECT_DOUBLE_EQ(shown(0), 1.0);
    {
        auto modal = Foundation::RunLoop::main().enterMode(Foundation::RunLoop::Mode::modal);
        advance(0.5);
        EXPECT_EQ(spinner_->fposition(), 10);
    }
    spinner_->stopSpinning();
    spinner_->stopSpinning();
    EXPECT_FALSE(spinner_->isRunning());
    EXPECT_EQ(spinner_->animationTimer(), nullptr);
    advance(1);
    EXPECT_EQ(spinner_->fposition(), 10);
}

TEST_F(QVProgressIndicatorLayerTest, NewBoundsRefitTheFinsWithoutAnimatingAndAZeroSizeStaysFinite)
{
    spinner_->setBounds({0, 0, 100, 40});
    const Layer& fin = *spinner_->finLayers()[5];
    EXPECT_NEAR(fin.bounds().width(), 3.8, 1e-9);
    EXPECT_NEAR(fin.bounds().height(), 12, 1e-9);
    EXPECT_EQ(fin.position(), (Point {50, 20}));
    EXPECT_TRUE(fin.animationKeys().empty());

    auto none = QVProgressIndicatorLayer::make(0, Colour::black());
    for (const auto& f : none->finLayers())
        EXPECT_TRUE(std::isfinite(f->anchorPoint().y) && std::isfinite(f->cornerRadius()));
}

TEST_F(QVProgressIndicatorLayerTest, DrawsALitFinAtTheRightAfterFourTicks)
{
    auto host = std::make_shared<View>(Rect {0, 0, 60, 60});
    host->layer().addSublayer(spinner_);
    spinner_->startSpinning();
    advance(0);
    advance(0.15);
    const auto snapshot = Testing::Snapshot::of(*host, 2);
    snapshot.save("framework", "spinner");
    EXPECT_GT(snapshot.alphaAt({50, 30}), 0.95);  // fin 3, lit last
    const double fading = snapshot.alphaAt({30, 50}); // fin 0, lit three ticks before
    EXPECT_GT(fading, 0.6);
    EXPECT_LT(fading, 0.9);
    EXPECT_LT(snapshot.alphaAt({10, 30}), 0.02); // fin 9, not lit yet
    spinner_->stopSpinning();
}
