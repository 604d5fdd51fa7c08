#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;

namespace {

class DisplayCycleTest : public Testing::KitTest {};

class Logged : public View {
public:
    Logged(std::string name, std::vector<std::string>& log, bool updatesLayer = false)
        : View(Rect {0, 0, 20, 20}), name_(std::move(name)), log_(log), updatesLayer_(updatesLayer)
    {
    }
    void layout() override { log_.push_back(name_ + " layout"); }
    void viewWillDraw() override { log_.push_back(name_ + " willDraw"); }
    bool wantsUpdateLayer() const override { return updatesLayer_; }
    void updateLayer() override
    {
        log_.push_back(name_ + " updateLayer");
        layer().setBackgroundColor(Colour::green());
    }
    void draw(const Rect&) override { log_.push_back(name_ + " draw"); }

private:
    std::string name_;
    std::vector<std::string>& log_;
    bool updatesLayer_;
};

TEST_F(DisplayCycleTest, LayoutThenWillDrawThenUpdateLayerTopDown)
{
    std::vector<std::string> log;
    auto parent = std::make_shared<Logged>("parent", log);
    auto child = std::make_shared<Logged>("child", log, true);
    parent->addSubview(child);
    parent->setNeedsLayout();
    child->setNeedsLayout();
    parent->displayIfNeeded();
    EXPECT_EQ(log, (std::vector<std::string> {"parent layout", "child layout", "parent willDraw", "child willDraw",
                                              "child updateLayer"}));
    log.clear();
    parent->displayIfNeeded();
    EXPECT_TRUE(log.empty());
}

TEST_F(DisplayCycleTest, UpdateLayerRunsOnlyForViewsMarkedNeedingDisplay)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 40, 40}, Window::borderless);
    auto view = std::make_shared<Logged>("v", log, true);
    window.contentView()->addSubview(view);
    window.orderFront();
    window.displayIfNeeded();
    log.clear();
    // A plain Qt repaint (an expose) does not call updateLayer.
    view->qtWidget()->repaint();
    window.qtWidget()->repaint();
    QCoreApplication::processEvents();
    EXPECT_TRUE(std::find(log.begin(), log.end(), "v updateLayer") == log.end());
    view->setNeedsDisplay();
    window.displayIfNeeded();
    EXPECT_EQ(std::count(log.begin(), log.end(), "v updateLayer"), 1);
    const auto shot = Testing::Snapshot::of(window);
    EXPECT_COLOUR_NEAR(shot.colourAt({10, 10}), Colour::green());
}

TEST_F(DisplayCycleTest, DrawingViewsDrawWhenQtPaints)
{
    std::vector<std::string> log;
    auto view = std::make_shared<Logged>("v", log);
    Testing::Snapshot::of(*view);
    EXPECT_EQ(log, (std::vector<std::string> {"v willDraw", "v draw"}));
}

TEST_F(DisplayCycleTest, LayoutHappensOnTheWindowsUpdateRequest)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 40, 40}, Window::borderless);
    auto view = std::make_shared<Logged>("v", log);
    window.contentView()->addSubview(view);
    window.orderFront();
    QCoreApplication::processEvents();
    log.clear();
    view->setNeedsLayout();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->needsLayout());
    EXPECT_EQ(log.front(), "v layout");
}

TEST_F(DisplayCycleTest, HiddenViewsAndTheirSubviewsDoNotRender)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 40, 20});
    auto left = std::make_shared<View>(Rect {0, 0, 20, 20});
    auto right = std::make_shared<View>(Rect {20, 0, 20, 20});
    left->layer().setBackgroundColor(Colour::red());
    right->layer().setBackgroundColor(Colour::blue());
    right->addSubview(std::make_shared<View>(Rect {0, 0, 5, 5}));
    parent->addSubview(left);
    parent->addSubview(right);
    right->setHidden(true);
    EXPECT_TRUE(right->subviews()[0]->isHiddenOrHasHiddenAncestor());
    auto shot = Testing::Snapshot::of(*parent);
    EXPECT_COLOUR_NEAR(shot.colourAt({10, 10}), Colour::red());
    EXPECT_EQ(shot.alphaAt({30, 10}), 0);
    right->setHidden(false);
    shot = Testing::Snapshot::of(*parent, 2);
    EXPECT_COLOUR_NEAR(shot.colourAt({30, 10}), Colour::blue());
}

TEST_F(DisplayCycleTest, HideAndUnhideReachDescendantsThatDoNotHideThemselves)
{
    class Told : public View {
    public:
        Told(std::string name, std::vector<std::string>& log)
            : View(Rect {0, 0, 5, 5}), name_(std::move(name)), log_(log)
        {
        }
        void viewDidHide() override { log_.push_back(name_ + " hide"); }
        void viewDidUnhide() override { log_.push_back(name_ + " unhide"); }

    private:
        std::string name_;
        std::vector<std::string>& log_;
    };
    std::vector<std::string> log;
    auto parent = std::make_shared<Told>("parent", log);
    auto shown = std::make_shared<Told>("shown", log);
    auto hidden = std::make_shared<Told>("hidden", log);
    hidden->setHidden(true);
    log.clear();
    parent->addSubview(shown);
    parent->addSubview(hidden);
    parent->setHidden(true);
    parent->setHidden(true);
    parent->setHidden(false);
    EXPECT_EQ(log, (std::vector<std::string> {"parent hide", "shown hide", "parent unhide", "shown unhide"}));
}

TEST_F(DisplayCycleTest, SubviewsOwnershipAndRemoval)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 40, 20});
    std::weak_ptr<View> weak;
    {
        auto child = std::make_shared<View>(Rect {0, 0, 20, 20});
        weak = child;
        parent->addSubview(child);
    }
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->superview(), parent.get());
    EXPECT_EQ(weak.lock()->qtWidget()->parentWidget(), parent->qtWidget());
    weak.lock()->removeFromSuperview();
    EXPECT_TRUE(weak.expired());
    // A parent destroyed first leaves its subviews alive and detached.
    auto child = std::make_shared<View>(Rect {0, 0, 20, 20});
    parent->addSubview(child);
    parent.reset();
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_EQ(child->qtWidget()->parentWidget(), nullptr);
}

TEST_F(DisplayCycleTest, AssociatedValuesAndToolTip)
{
    View view(Rect {0, 0, 10, 10});
    view.setAssociatedValue("k", 3);
    ASSERT_NE(view.associatedValue("k"), nullptr);
    EXPECT_EQ(std::any_cast<int>(*view.associatedValue("k")), 3);
    view.removeAssociatedValue("k");
    EXPECT_EQ(view.associatedValue("k"), nullptr);
    view.setToolTip("Fan 1");
    EXPECT_EQ(view.qtWidget()->toolTip().toStdString(), "Fan 1");
}

} // namespace
