#pragma once

#include "Classes/App/AppDelegate.h"
#include "Classes/App/FanSpeedPanel.h"
#include "Classes/App/QVStatusBarView.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/StatusItem.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/WindowController.h"
#include "tests/App/ControlCoreTest.h"

#include <memory>
#include <string>
#include <vector>

// A panel scene standing in for the fan panels: its view is `size`, and it says which panel it is.
class StandInPanel : public Kit::ViewController, public Aerlo::FanSpeedPanel {
public:
    StandInPanel(bool twoFans, Kit::Size size) : twoFans_(twoFans), size_(size) {}
    bool isTwoFanPanel() const override { return twoFans_; }

protected:
    void loadView() override { setView(std::make_shared<Kit::View>(Kit::Rect {{0, 0}, size_})); }

private:
    bool twoFans_;
    Kit::Size size_;
};

// The shell on top of the control core: Kit on the manual clock, the status item as a model (no tray),
// scripted alerts, no registered scenes, a fresh application object and running checker.
class AppShellTest : public ControlCoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers the two fan scenes as stand-ins; each build is recorded as "two" or "single".
    void registerStandInScenes(Kit::Size size = {300, 200});
    // The angle the icon shows now.
    double iconAngle() const;
    Aerlo::QVStatusBarView& statusView() const { return *delegate_->statusBarView; }
    Kit::StatusItem& item() const { return *delegate_->statusBarItem; }

    std::shared_ptr<Kit::ScriptedAlertPresenter> alerts_ = std::make_shared<Kit::ScriptedAlertPresenter>();
    std::vector<std::string> builtScenes_;
    int quits_ = 0;
};
