#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using Foundation::ManualRunLoopDriver;
using Foundation::RunLoop;
using Foundation::Timer;
using namespace Kit;

namespace {

class AlertTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        AlertPresenter::replaceShared(presenter_);
    }
    void TearDown() override
    {
        EXPECT_TRUE(presenter_->failures().empty()) << presenter_->failures().front();
        EXPECT_EQ(presenter_->unusedScripts(), 0u);
        AlertPresenter::replaceShared(nullptr);
        KitTest::TearDown();
    }
    std::shared_ptr<ScriptedAlertPresenter> presenter_ = std::make_shared<ScriptedAlertPresenter>();
};

} // namespace

TEST_F(AlertTest, ButtonsAnswerThousandPlusTheirIndexAndTheScriptedPresenterRecordsTheAlert)
{
    Alert alert;
    alert.setMessageText("NoFanKind tips");
    alert.setInformativeText("NoFanMessage");
    alert.setAlertStyle(AlertStyle::informational);
    alert.addButton("Install");
    alert.addButton("Later");
    alert.addButton("Never");
    presenter_->enqueue(AlertScript::button(2, "NoFanKind tips"));
    presenter_->enqueue(AlertScript::button(0));

    EXPECT_EQ(alert.runModal(), AlertThirdButtonReturn);
    EXPECT_EQ(alert.runModal(), AlertFirstButtonReturn);

    ASSERT_EQ(presenter_->shown().size(), 2u);
    const ShownAlert& shown = presenter_->shown()[0];
    EXPECT_EQ(shown.messageText, "NoFanKind tips");
    EXPECT_EQ(shown.informativeText, "NoFanMessage");
    EXPECT_EQ(shown.style, AlertStyle::informational);
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Install", "Later", "Never"}));
    EXPECT_FALSE(shown.asSheet);
    EXPECT_EQ(alert.buttons()[0].keyEquivalent, "\r");
    EXPECT_EQ(alert.buttons()[1].keyEquivalent, "");
}

TEST_F(AlertTest, AnAlertWithoutButtonsShowsOneOK)
{
    Alert alert;
    presenter_->enqueue({});
    EXPECT_EQ(alert.runModal(), AlertFirstButtonReturn);
    EXPECT_EQ(presenter_->shown().at(0).buttons, std::vector<std::string> {"OK"});
    EXPECT_TRUE(alert.buttons().empty());
    EXPECT_EQ(alert.alertStyle(), AlertStyle::warning);
}

TEST_F(AlertTest, SuppressionStateComesFromTheScriptOnlyWhenTheBoxIsShown)
{
    Alert withBox;
    withBox.setShowsSuppressionButton(true);
    withBox.suppressionButton().title = "Don't ask again";
    Alert withoutBox;
    AlertScript suppress;
    suppress.suppression = true;
    presenter_->enqueue(suppress);
    presenter_->enqueue(suppress);

    (void)withBox.runModal();
    (void)withoutBox.runModal();
    EXPECT_EQ(withBox.suppressionButton().state, StateValue::on);
    EXPECT_EQ(withoutBox.suppressionButton().state, StateValue::off);
    EXPECT_TRUE(presenter_->shown()[0].showsSuppressionButton);
    EXPECT_EQ(presenter_->shown()[0].suppressionTitle, "Don't ask again");
}

TEST_F(AlertTest, ARunningModalAlertHoldsDefaultModeTimersButNotCommonOnes)
{
    int ticks = 0;
    int commonTicks = 0;
    auto tick = Timer::scheduledTimer(1.0, true, [&](Timer&) { ++ticks; });
    auto common = std::make_shared<Timer>(1.0, true, [&](Timer&) { ++commonTicks; });
    RunLoop::main().add(common, RunLoop::Mode::common);

    AlertScript script;
    script.whileShown = [&] {
        EXPECT_EQ(RunLoop::main().currentMode(), RunLoop::Mode::modal);
        driver().advance(3.5);
    };
    presenter_->enqueue(script);
    Alert alert;
    (void)alert.runModal();

    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(commonTicks, 3);
    EXPECT_EQ(presenter_->shown()[0].mode, RunLoop::Mode::modal);
    EXPECT_EQ(RunLoop::main().currentMode(), RunLoop::Mode::default_);
    // Back in the default mode the skipped ticks are not made up: one tick for the time that is due.
    driver().runUntilIdle();
    EXPECT_EQ(ticks, 1);
    tick->invalidate();
    common->invalidate();
}

TEST_F(AlertTest, ASheetReturnsAtOnceAndCompletesOnTheMainQueue)
{
    Alert alert;
    alert.addButton("Ok");
    alert.addButton("Cancel");
    presenter_->enqueue(AlertScript::button(1));
    std::vector<ModalResponse> responses;
    alert.beginSheetModal(nullptr, [&](ModalResponse response) { responses.push_back(response); });

    EXPECT_TRUE(responses.empty());
    EXPECT_TRUE(presenter_->shown().at(0).asSheet);
    EXPECT_EQ(presenter_->shown()[0].mode, RunLoop::Mode::default_);
    driver().advance(0);
    EXPECT_EQ(responses, std::vector<ModalResponse> {AlertSecondButtonReturn});
}

TEST_F(AlertTest, UnscriptedOrUnexpectedAlertsAreFailuresAnsweredWithTheFirstButton)
{
    auto own = std::make_shared<ScriptedAlertPresenter>();
    AlertPresenter::replaceShared(own);
    own->enqueue(AlertScript::button(1, "expected"));
    Alert alert;
    alert.setMessageText("other");
    EXPECT_EQ(alert.runModal(), AlertSecondButtonReturn);
    EXPECT_EQ(alert.runModal(), AlertFirstButtonReturn);
    ASSERT_EQ(own->failures().size(), 2u);
    EXPECT_EQ(own->failures()[0], "expected the alert \"expected\", shown \"other\"");
    EXPECT_EQ(own->failures()[1], "an alert with no script left: \"other\"");
}

TEST_F(AlertTest, TheEnvironmentSwitchAnswersFromItsList)
{
    ::setenv("AERLO_ALERT_RESPONSES", "1001,abc,1000", 1);
    AlertPresenter::replaceShared(nullptr);
    const auto presenter = AlertPresenter::shared();
    ::unsetenv("AERLO_ALERT_RESPONSES");
    ASSERT_NE(dynamic_cast<ScriptedAlertPresenter*>(presenter.get()), nullptr);
    Alert alert;
    EXPECT_EQ(alert.runModal(), AlertSecondButtonReturn);
    EXPECT_EQ(alert.runModal(), AlertFirstButtonReturn); // an unreadable entry answers the first button
    EXPECT_EQ(alert.runModal(), AlertFirstButtonReturn);
}

TEST_F(AlertTest, TheDefaultPresenterShowsAQtMessageBoxInTheAlertsOrderAndMapsTheClickedButton)
{
    Alert alert;
    alert.setMessageText("Title");
    alert.setInformativeText("Details");
    alert.setAlertStyle(AlertStyle::critical);
    alert.addButton("First");
    alert.addButton("Second");
    alert.setShowsSuppressionButton(true);
    auto accessory = std::make_shared<View>(Rect {0, 0, 200, 40});
    alert.setAccessoryView(accessory.get());
    Window window({100, 100, 400, 300}, Window::titled);
    std::vector<ModalResponse> responses;
    // The default presenter, with no responses in the environment.
    AlertPresenter::replaceShared(nullptr);
    alert.beginSheetModal(&window, [&](ModalResponse response) { responses.push_back(response); });

    auto* box = window.qtWidget()->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(box->isAncestorOf(accessory->qtWidget()));
    EXPECT_EQ(accessory->qtWidget()->size(), QSize(200, 40));
    EXPECT_EQ(box->text(), "Title");
    EXPECT_EQ(box->informativeText(), "Details");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    const auto buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), "First");
    ASSERT_NE(box->checkBox(), nullptr);
    box->checkBox()->setChecked(true);
    for (QAbstractButton* button : buttons)
        if (button->text() == "Second")
            button->click();

    EXPECT_TRUE(responses.empty());
    driver().advance(0);
    EXPECT_EQ(responses, std::vector<ModalResponse> {AlertSecondButtonReturn});
    EXPECT_EQ(alert.suppressionButton().state, StateValue::on);
    // The accessory view is given back when the alert ends.
    EXPECT_EQ(accessory->qtWidget()->parentWidget(), nullptr);
}

TEST_F(AlertTest, EscChoosesTheCancelButtonOrTheOnlyOneAndNothingOtherwise)
{
    Alert titled;
    titled.addButton("Save");
    titled.addButton("Cancel");
    EXPECT_EQ(titled.cancelButtonIndex(), 1u);
    Alert marked;
    marked.addButton("安装更新");
    marked.addButton("稍后").keyEquivalent = "\x1b";
    marked.addButton("跳过");
    EXPECT_EQ(marked.cancelButtonIndex(), 1u);
    Alert alone;
    EXPECT_EQ(alone.cancelButtonIndex(), 0u);
    Alert choice;
    choice.addButton("Yes");
    choice.addButton("No");
    EXPECT_EQ(choice.cancelButtonIndex(), std::nullopt);

    presenter_->enqueue(AlertScript::escapeKey());
    EXPECT_EQ(marked.runModal(), AlertSecondButtonReturn);
    presenter_->enqueue(AlertScript::escapeKey());
    EXPECT_EQ(choice.runModal(), AlertFirstButtonReturn);
    ASSERT_EQ(presenter_->failures().size(), 1u);
    EXPECT_NE(presenter_->failures().front().find("Esc on an alert without a cancel button"), std::string::npos);
    presenter_ = std::make_shared<ScriptedAlertPresenter>();
}

TEST_F(AlertTest, EscInTheQtMessageBoxAnswersTheCancelButton)
{
    Alert alert;
    alert.setMessageText("Switch?");
    alert.addButton("Switch");
    alert.addButton("Keep").keyEquivalent = "\x1b";
    alert.addButton("Help");
    Window window({100, 100, 400, 300}, Window::titled);
    window.orderFront();
    std::vector<ModalResponse> responses;
    AlertPresenter::replaceShared(nullptr);
    alert.beginSheetModal(&window, [&](ModalResponse response) { responses.push_back(response); });
    auto* box = window.qtWidget()->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);

    QTest::keyClick(box, Qt::Key_Escape);
    driver().advance(0);
    EXPECT_EQ(responses, std::vector<ModalResponse> {AlertSecondButtonReturn});
}
