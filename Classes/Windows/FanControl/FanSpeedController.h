#pragma once

#include "Classes/Windows/FanControl/FanPanelController.h"
#include "Platform/Foundation/ObserverToken.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Kit {
class Box;
class Button;
class ImageView;
class TextField;
class View;
}

namespace Aerlo {

class ClickThroughImageView;
class FanCustomButton;
class QVCustomButton;
class QVSlider;

// The panel of a machine with two fans: the mode control, a card per fan with its slider, a mode box
// per fan (automatic or manual for that fan alone), the helper's install and uninstall buttons.
class FanSpeedController : public FanPanelController {
public:
    static constexpr double width = 320;
    static constexpr double height = 400;
    // One mode box more or less in the window, and the animation's length.
    static constexpr double heightChange = 85.0;
    static constexpr double animationDuration = 0.5;
    // The right box's own shift while the left box is shown.
    static constexpr double rightBoxShift = 80.0;

    FanSpeedController();
    ~FanSpeedController() override;

    std::shared_ptr<QVCustomButton> installFanControlHelper;
    std::shared_ptr<QVCustomButton> uninstallFanControlHelper;
    std::shared_ptr<QVSlider> rightFanSlider;
    std::shared_ptr<Kit::TextField> rightFanSpeedMinTextField;
    std::shared_ptr<Kit::TextField> rightFanSpeedMaxTextField;
    std::shared_ptr<Kit::TextField> rightFanSpeedPercent;
    std::shared_ptr<Kit::View> leftFanView;
    std::shared_ptr<Kit::View> rightFanView;
    std::shared_ptr<QVCustomButton> leftFanAutoModeButton;
    std::shared_ptr<QVCustomButton> leftFanManualModeButton;
    std::shared_ptr<QVCustomButton> rightFanAutoModeButton;
    std::shared_ptr<QVCustomButton> rightFanManualModeButton;
    std::shared_ptr<Kit::Box> leftFanModeBox;
    std::shared_ptr<Kit::Box> rightFanModeBox;
    std::shared_ptr<FanCustomButton> leftExpandCollapseButton;
    std::shared_ptr<FanCustomButton> rightExpandCollapseButton;
    std::shared_ptr<Kit::ImageView> leftIcon;
    std::shared_ptr<Kit::ImageView> rightIcon;
    std::shared_ptr<Kit::ImageView> rightFanImage;
    std::shared_ptr<Kit::TextField> rightSpeedLabel;

    bool isAnimationRunning = false;
    bool isExpandedLeft = false;
    bool isExpandedRight = false;

    bool isTwoFanPanel() const override { return true; }

    // Mode choices.
    void handleFanModeChanged(const Foundation::Notification& notification) { chooseModeByNotification(notification); }
    void applySystemMode();
    void applyMaximumMode();
    void applyManualMode();
    void applyCustomMode();

    // The per-fan mode buttons: tag 0 automatic, any other manual.
    void leftFanModeToggle(Kit::Control& sender);
    void rightFanModeToggle(Kit::Control& sender);
    // x 35 and the dark text above 50 %, else x 205 and the label colour.
    static void placePercentLabel(Kit::TextField& label, std::int64_t percent);

    // Both fans as one while "isFansSync" is on. "syncFansControl": the posted mode ("forced" or
    // "automatic") for both fans. "fansModeToggle": the named fan's icon.
    void syncFanMode(const Foundation::Notification& notification);
    void applySyncedFanMode(bool forced);
    void noSyncFanModeToggle(const Foundation::Notification& notification);
    // The sliders wired by "isFansSync": each drives both fans, or each its own fan.
    void sync();
    // Fan 0's limits turn the position into one speed sent to both fans.
    void applySyncedSliderValue(double value);

    // The helper.
    void installFanHelper(Kit::Control& sender);
    void uninstallHelper(Kit::Control& sender);
    void confirmUninstallHelper();
    static void postHelperState(bool state);
    void changeHelperState(const Foundation::Notification& notification) override;
    // Installed: the uninstall and expand buttons; not installed: the install button. None: asks.
    void updateHelperState(std::optional<bool> installed = std::nullopt);

    // The mode boxes.
    void leftFanExpandCollapseClicked(Kit::Control& sender);
    void rightFanExpandCollapseClicked(Kit::Control& sender);

    void updateApp() override;
    void updateMoreButtonImage();
    void viewWillAppear() override;

protected:
    void loadView() override;
    void viewDidLoad() override;

    std::vector<FanSide> sides() const override;
    std::string_view className() const override { return "FanSpeedController"; }
    std::vector<std::string_view> requiredSpeedKeys() const override { return {"leftSpeed", "rightSpeed"}; }
    std::string_view missingSpeedLine() const override { return "leftSpeed 或 rightSpeed 为 nil，提前退出"; }
    bool recordsSpeedsInSystemMode() const override { return true; }
    double notifiedRotationPeriod() const override { return 1.0; }
    bool mayApplyDrag() override;
    double dragRotationPeriod() const override;
    void showPerFanAutomatic() override;
    std::string_view automaticNotificationName() const override;
    void handleFanModeNotification(const Foundation::Notification& notification) override
    {
        handleFanModeChanged(notification);
    }
    void chooseSystem() override { chooseSystemBody(); }
    void chooseMaximum() override { applyMaximumMode(); }
    void chooseManual() override { chooseManualBody(); }
    void chooseCustom(bool userChosen) override { chooseCustomBody(userChosen); }
    void showRulesAlert() override;

private:
    enum class Side { left, right };
    void perFanModeToggle(Side side, Kit::Control& sender);
    void expandOrCollapse(Side side, Kit::Control& sender);
    // Both boxes folded away in one step, the window at its collapsed height.
    void foldModeBoxes();
    // The window, through its animator, at the collapsed height and `expandedBoxes` steps, its top kept.
    void resizeWindow(int expandedBoxes);
    std::shared_ptr<Kit::Box> makeModeBox(const Kit::Rect& frame, std::shared_ptr<QVCustomButton>& automatic,
        std::shared_ptr<QVCustomButton>& manual, void (FanSpeedController::*toggle)(Kit::Control&));
    std::shared_ptr<FanCustomButton> makeExpandButton(const Kit::Rect& frame,
        void (FanSpeedController::*action)(Kit::Control&));

    std::optional<Foundation::ObserverToken> appearanceObservation_;
    // The window's height with both boxes folded, taken at each click (no animation runs then).
    double collapsedWindowHeight_ = 0;
    // Advanced by a fold, so that the animations it overtook change nothing when they end.
    unsigned animationGeneration_ = 0;
    // Whether the sliders drive both fans together.
    bool slidersSynced_ = false;
    // Where the views the boxes push aside stand while both boxes are folded.
    std::vector<std::pair<std::shared_ptr<Kit::View>, Kit::Point>> restOrigins_;
};

} // namespace Aerlo
