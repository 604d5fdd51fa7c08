#pragma once

#include "Classes/Configure/Global/CurrentFanMode.h"
#include "Classes/App/FanSpeedPanel.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Kit {
class Button;
class Control;
class ImageView;
class Menu;
class SegmentedControl;
class TextField;
class View;
}

namespace Aerlo {

class QVSlider;

// What the two fan panels share: the mode control, fan 0's picture, speed, slider and labels, the
// speed notification, the slider drag, the text of positions and percentages, the spinning pictures,
// the more menu, quit, support, and the mode shown once the helper is gone. Main thread only.
class FanPanelController : public Kit::ViewController, public FanSpeedPanel {
public:
    // The support page.
    static constexpr std::string_view supportAddress = "https://aerlo.norvane.com/support";

    ~FanPanelController() override;

    std::shared_ptr<Kit::SegmentedControl> fanModeSegmented;
    std::shared_ptr<Kit::ImageView> leftFanImage;
    std::shared_ptr<Kit::TextField> leftSpeedLabel;
    std::shared_ptr<QVSlider> leftFanSlider;
    std::shared_ptr<Kit::TextField> leftFanSpeedPercent;
    std::shared_ptr<Kit::TextField> leftFanMinSpeedTextField;
    std::shared_ptr<Kit::TextField> leftFanMaxSpeedTextField;
    std::shared_ptr<Kit::Button> moreButton;

    bool isForcedMode = false;
    CurrentFanMode currentFanMode = CurrentFanMode::auto_;

    // Actions.
    // A mode chosen with the control: the mode applied, then the segment stored (also when refused).
    void fanModeToggle(Kit::Control& sender);
    void moreBtnClickted(Kit::Control& sender);
    void settingsButtonClicked();
    void quitAppButtonClicked();
    virtual void updateApp() = 0;
    void openUserSupport();
    // "updateFanAutomatic" / "updateSigleFanAutomatic": system shown when no choice was ever stored.
    void toggleFanModeisAutomatic();
    void handleFansControllerNotification(const Foundation::Notification& notification);
    // "fanHelperState": with false the fans are back with the system, and the panel says so.
    virtual void changeHelperState(const Foundation::Notification& notification);
    void showSystemModeInForce() override;
    void showForcedModeInForce() override;

    void showSensorsUnreadable(bool unreadable) override;
    void reapplyShownMode() override;

    void viewWillAppear() override;
    void viewWillDisappear() override;

    // The more menu popped up last.
    const std::shared_ptr<Kit::Menu>& moreMenu() const { return moreMenu_; }

    // (speed − min) / (max − min) within 0 … 1; 0 when the result is not a number (so 1 for a speed
    // above an empty range, 0 for one at it).
    static double position(double speed, double min, double max);
    // "0%" for 0, else the integer part of 100 · position and "%".
    static std::string percentText(double position);
    // The whole rpm of a speed; 0 when it is not a number.
    static long truncatedRPM(double value);
    // A speed limit rounded half away from zero.
    static std::string limitText(double limit);
    // A double as the program prints one ("0.5", "2.0").
    static std::string describe(double value);
    // A paused picture stays paused below 1 rpm; otherwise it resumes and turns once per `period`
    // seconds, keeping a turn that already runs at that period.
    static void spin(Kit::View& image, long speed, double period);

protected:
    // One fan's controls, settings keys and values.
    struct FanSide {
        int id = 0;
        // "左边" or "右边" in the printed lines.
        std::string_view printedName;
        double* speed = nullptr;
        double* minSpeed = nullptr;
        double* maxSpeed = nullptr;
        std::string_view percentKey;
        std::string_view speedAfterDragKey;
        std::string_view currentValueKey;
        std::string_view sliderValueKey;
        QVSlider* slider = nullptr;
        Kit::TextField* percentLabel = nullptr;
        Kit::ImageView* image = nullptr;
        Kit::TextField* speedLabel = nullptr;
        Kit::TextField* minLabel = nullptr;
        Kit::TextField* maxLabel = nullptr;
    };

    FanPanelController() = default;

    // The panel's fans, fan 0 first.
    virtual std::vector<FanSide> sides() const = 0;
    // Fan 0 with the outlets above.
    FanSide leftSide() const;
    // The class name in the appear and disappear lines.
    virtual std::string_view className() const = 0;
    // The user infos' keys a speed notification must carry, and the line printed when one lacks.
    virtual std::vector<std::string_view> requiredSpeedKeys() const = 0;
    virtual std::string_view missingSpeedLine() const = 0;
    // Whether the speed notification writes the speeds into the process-wide values in system mode.
    virtual bool recordsSpeedsInSystemMode() const = 0;
    virtual double notifiedRotationPeriod() const = 0;
    // Whether a drag may go on (it runs after the slider has taken the position); the progress lines
    // around the mode message; the period of the spin after a drag.
    virtual bool mayApplyDrag() = 0;
    virtual void printDragProgress(int percent) { (void)percent; }
    virtual void printDraggedSpeed(long rpm) { (void)rpm; }
    virtual double dragRotationPeriod() const = 0;
    // The per-fan mode buttons back on automatic (the two-fan panel's).
    virtual void showPerFanAutomatic() {}
    // The sleep handler's "back to automatic" notification for this kind of panel.
    virtual std::string_view automaticNotificationName() const = 0;
    // A mode applied by one of the four mode notifications: the segment selected, nothing stored.
    void chooseModeByNotification(const Foundation::Notification& notification);
    virtual void handleFanModeNotification(const Foundation::Notification& notification) = 0;
    // The four choices, after the control or a notification has set `currentFanMode`.
    virtual void chooseSystem() = 0;
    virtual void chooseMaximum() = 0;
    virtual void chooseManual() = 0;
    virtual void chooseCustom(bool userChosen) = 0;

    // The panel's view: its background, y up, the controls kept at its top when it grows.
    std::shared_ptr<Kit::View> makePanelView(Kit::Size size);
    // The title row (the more button at its right end) and the mode control under it.
    void addHeader(Kit::View& panel);
    // A frame measured from the top of a panel `height` points tall.
    static Kit::Rect fromTop(double height, double x, double top, double width, double rowHeight);
    // A fan's card: its picture, name, speed, limits, slider and percentage, filling the outlets given.
    std::shared_ptr<Kit::View> makeFanCard(const Kit::Rect& frame, const std::string& title,
        std::shared_ptr<Kit::ImageView>& image, std::shared_ptr<Kit::TextField>& speedLabel,
        std::shared_ptr<QVSlider>& slider, std::shared_ptr<Kit::TextField>& percent,
        std::shared_ptr<Kit::TextField>& minLabel, std::shared_ptr<Kit::TextField>& maxLabel,
        std::shared_ptr<Kit::ImageView>* icon = nullptr);
    static std::shared_ptr<Kit::TextField> makeLabel(const Kit::Rect& frame, const std::string& text, double size,
        double weight, bool secondary = false);

    // The shared parts of viewDidLoad: corners, the percentage labels' shift on the newest systems,
    // the limit labels, the slider handlers, then the observers in their order.
    void setUpCorners();
    void fillLimitLabels();
    void connectSliders();
    void addModeObservers();

    // The chip hint, when the chip is one that needs it.
    static void chipTest();
    static void trackEvent(std::string_view name);
    static void storeSegment(long segment);
    // The rules alert's answer: the control back on the mode in force, the custom flag off.
    void revertToCurrentMode();
    // Forced mode for every fan, the stored manual speeds sent and shown.
    void sendStoredManualSpeeds();
    // The maximum forced on each fan whose maximum is above its minimum.
    void sendMaximumSpeeds();
    // The bodies both panels share: maximum; the manual choice (flags, stored speeds, event); the custom
    // choice (every fan automatic and the rules on, or without rules the alert when the user chose it).
    void chooseSystemBody();
    void applyMaximumBody();
    void chooseManualBody();
    void chooseCustomBody(bool userChosen);
    // The panel's rules alert; either answer puts the control back on the mode in force.
    virtual void showRulesAlert() = 0;
    // Automatic for every fan, sliders disabled.
    void sendAutomatic();
    void setSlidersEnabled(bool enabled);
    // The slider drag for one fan.
    void applyFanSliderValue(const FanSide& side, double value);

    std::vector<Foundation::ObserverToken> observers_;
    // Held weakly by queued blocks, which do nothing once the panel is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);

private:
    void updateDisplay(const std::vector<long>& speeds, const std::vector<double>& positions);

    std::shared_ptr<Kit::Menu> moreMenu_;
    std::shared_ptr<Kit::TextField> sensorsNote_;
};

} // namespace Aerlo
