#pragma once

#include "Classes/Windows/FanControl/FanPanelController.h"

namespace Aerlo {

// The panel of every machine without exactly two fans (one fan, or none found): the mode control and
// fan 0's card. With no fan every choice shows the no-fan alert and sends nothing.
class SingleFanController : public FanPanelController {
public:
    static constexpr double width = 320;
    static constexpr double height = 250;

    SingleFanController();
    ~SingleFanController() override;

    bool isTwoFanPanel() const override { return false; }

    void handleFanModeForLoginItem(const Foundation::Notification& notification)
    {
        chooseModeByNotification(notification);
    }
    // The bodies; each first shows the no-fan alert and stops when there is no fan.
    void applySystemMode();
    void applyMaximumMode();
    void applyManualMode();
    void applyCustomMode(bool userChosen);
    // The user's update check; the window stays.
    void updateApp() override;

protected:
    void loadView() override;
    void viewDidLoad() override;

    std::vector<FanSide> sides() const override;
    std::string_view className() const override { return "SingleFanController"; }
    std::vector<std::string_view> requiredSpeedKeys() const override { return {"leftSpeed"}; }
    std::string_view missingSpeedLine() const override { return "leftSpeed 为 nil，提前退出"; }
    bool recordsSpeedsInSystemMode() const override { return false; }
    double notifiedRotationPeriod() const override { return 2.0; }
    bool mayApplyDrag() override;
    void printDragProgress(int percent) override;
    void printDraggedSpeed(long rpm) override;
    double dragRotationPeriod() const override { return 1.0; }
    std::string_view automaticNotificationName() const override;
    void handleFanModeNotification(const Foundation::Notification& notification) override
    {
        handleFanModeForLoginItem(notification);
    }
    void chooseSystem() override { applySystemMode(); }
    void chooseMaximum() override { applyMaximumMode(); }
    void chooseManual() override;
    void chooseCustom(bool userChosen) override { applyCustomMode(userChosen); }
    void showRulesAlert() override;

private:
    // True (after the alert) when there is no fan.
    static bool hasNoFan();
};

} // namespace Aerlo
