#include "Classes/Windows/FanControl/FanSpeedController.h"
#include "Classes/Windows/FanControl/SingleFanController.h"
#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/QVCustomButton.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/TextField.h"

#include <functional>
#include "tests/Windows/FanControl/FanPanelTest.h"

#include <QAccessible>
#include <QTest>
#include <QWidget>
#include <QWindow>

using namespace Aerlo;
using namespace Aerlo::Testing;

namespace {

const char* const modeNames[] = {"system", "maximum", "manual", "custom"};

// Pictures of both panels in each mode, light and dark, for review under build/test-renders/panels/.
class FanPanelRenderTest : public FanPanelTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        FanPanelTest::SetUp();
        Kit::Appearance::setApplication(dark() ? Kit::Appearance::darkAqua() : Kit::Appearance::aqua());
        setHelperInstalled(true);
        storeRule();
        (void)defaults().set(std::int64_t {3400}, SettingsKey::leftFanSpeedAfterDrag);
        (void)defaults().set(std::int64_t {2100}, SettingsKey::rightFanSpeedAfterDrag);
    }
    void TearDown() override
    {
        Kit::Appearance::setApplication(std::nullopt);
        FanPanelTest::TearDown();
    }
    static bool dark() { return GetParam(); }
    static std::string name(const std::string& panel, const std::string& state)
    {
        return panel + "-" + state + (dark() ? "-dark" : "-light");
    }

    // The window's picture, saved, with the panel's fill checked inside its rounded corners.
    Kit::Testing::Snapshot shoot(FanPanelController& panel, const std::string& fileName)
    {
        driver().runUntilIdle();
        auto snapshot = Kit::Testing::Snapshot::of(panelWindow(), 2);
        snapshot.save("panels", fileName);
        const Kit::Rect bounds = panel.view()->bounds();
        const Kit::Colour fill = snapshot.colourAt({bounds.midX(), bounds.maxY() - 6});
        EXPECT_EQ(fill.alphaComponent(), 1.0);
        if (dark())
            EXPECT_LT(fill.redComponent(), 0.3) << fileName;
        else
            EXPECT_GT(fill.redComponent(), 0.9) << fileName;
        // The rounded corner is clear.
        EXPECT_LT(snapshot.alphaAt({1, bounds.maxY() - 1}), 0.1) << fileName;
        return snapshot;
    }
};

TEST_P(FanPanelRenderTest, TwoFanPanelInEachMode)
{
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    for (long segment = 0; segment < 4; ++segment) {
        clickSegment(panel, segment);
        postSpeeds({{"leftSpeed", segment == 1 ? 5999 : 2400}, {"rightSpeed", segment == 1 ? 6000 : 1300}});
        advance(0.3);
        const auto snapshot = shoot(panel, name("two-fan", modeNames[segment]));
        // The chosen segment is drawn in the accent colour.
        Kit::SegmentedControl& control = *panel.fanModeSegmented;
        const Kit::Rect selected = control.convertTo(control.rectOfSegment(segment), nullptr);
        const Kit::Rect other = control.convertTo(control.rectOfSegment((segment + 1) % 4), nullptr);
        EXPECT_NE(snapshot.colourAt({selected.x() + 6, selected.midY()}).blueComponent(),
            snapshot.colourAt({other.x() + 6, other.midY()}).blueComponent());
    }
}

TEST_P(FanPanelRenderTest, TwoFanPanelWithBothModeBoxes)
{
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    clickSegment(panel, 2);
    postSpeeds({{"leftSpeed", 3400}, {"rightSpeed", 2100}});
    panel.leftExpandCollapseButton->performClick();
    advance(0.6);
    panel.rightExpandCollapseButton->performClick();
    advance(0.6);
    panel.leftFanManualModeButton->performClick();
    advance(0.3);
    shoot(panel, name("two-fan", "boxes"));
    EXPECT_EQ(panelWindow().frame().height(), FanSpeedController::height + 2 * FanSpeedController::heightChange);
}

TEST_P(FanPanelRenderTest, OneFanPanelInEachMode)
{
    setFans(1, {0, 6000}, {0, 0});
    SingleFanController& panel = loadPanel<SingleFanController>();
    for (long segment = 0; segment < 4; ++segment) {
        clickSegment(panel, segment);
        postSpeeds({{"leftSpeed", segment == 1 ? 6000 : 2400}});
        advance(0.3);
        shoot(panel, name("one-fan", modeNames[segment]));
    }
}

TEST_P(FanPanelRenderTest, AFanWithAnEmptyRangeAboveItShowsAFullSliderAndTheSensorsNoteShowsWhole)
{
    // Fan 1's minimum and maximum are both 0 and it turns at 100: a full position, "100%".
    setFans(2, {0, 6000}, {0, 0});
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    clickSegment(panel, 0);
    postSpeeds({{"leftSpeed", 2400}, {"rightSpeed", 100}});
    advance(0.3);
    shoot(panel, name("two-fan", "empty-range"));
    EXPECT_EQ(panel.rightFanSlider->doubleValue(), 1.0);
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "100%");
    EXPECT_TRUE(Kit::Testing::drawnWhole(*panel.rightFanSpeedPercent));

    // The SMC out: no speeds, and the note beside the title, drawn whole.
    panel.showSensorsUnreadable(true);
    advance(0.3);
    shoot(panel, name("two-fan", "sensors-unreadable"));
    EXPECT_EQ(panel.leftSpeedLabel->stringValue(), "-");
    EXPECT_EQ(panel.rightSpeedLabel->stringValue(), "-");
    std::shared_ptr<Kit::View> note;
    const std::function<void(const std::shared_ptr<Kit::View>&)> find = [&](const std::shared_ptr<Kit::View>& view) {
        if (auto* label = dynamic_cast<Kit::TextField*>(view.get()); label && label->stringValue() == "The sensors cannot be read")
            note = view;
        for (const auto& subview : view->subviews())
            find(subview);
    };
    find(panel.view());
    ASSERT_TRUE(note);
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(Kit::Testing::drawnWhole(*note));
    panel.showSensorsUnreadable(false);
    EXPECT_TRUE(note->isHidden());
}

TEST_P(FanPanelRenderTest, TabShowsTheFocusInThePanelAndEveryElementIsNamed)
{
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    clickSegment(panel, 2);
    Kit::Window& window = panelWindow();
    Kit::SegmentedControl& modes = *panel.fanModeSegmented;
    const Kit::Rect frame = modes.convertTo(modes.bounds(), nullptr);
    const Kit::Point edge {frame.x() - 1, frame.midY()};
    const Kit::Colour plain = Kit::Testing::Snapshot::of(window, 2).colourAt(edge);
    // The loop runs along the header's controls, then each fan's slider and mode box button.
    const std::vector<Kit::Responder*> expected {panel.uninstallFanControlHelper.get(), panel.moreButton.get(), &modes,
        panel.leftFanSlider.get(), panel.leftExpandCollapseButton.get(), panel.rightFanSlider.get(),
        panel.rightExpandCollapseButton.get()};
    std::vector<Kit::Responder*> order;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(window.qtWidget()->windowHandle(), Qt::Key_Tab);
        order.push_back(window.firstResponder());
    }
    EXPECT_EQ(order, expected);
    // Back from the last to the modes.
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(window.qtWidget()->windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(window.firstResponder(), &modes);
    const auto snapshot = shoot(panel, name("two-fan", "focus"));
    EXPECT_FALSE(Kit::Testing::colourNear(snapshot.colourAt(edge), plain, 0.1));

    QStringList unnamed;
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        if (node->text(QAccessible::Name).isEmpty())
            unnamed.append(QString::number(node->role()));
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(window.qtWidget()));
    EXPECT_TRUE(unnamed.isEmpty()) << "unnamed roles: " << unnamed.join(", ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Appearances, FanPanelRenderTest, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Dark" : "Light"; });

} // namespace
