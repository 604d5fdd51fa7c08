#pragma once

#include "Classes/Configure/SystemKit/device_s.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/ViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace Foundation {
class Timer;
}

namespace Kit {
class Box;
class ImageView;
class TextField;
}

namespace Aerlo {

class SystemKit;

// A one-page summary of the machine: the system record's texts, filled once when the view loads, the
// uptime on request and two live fan readouts from the control tick.
class DashboardViewController : public Kit::ViewController, public std::enable_shared_from_this<DashboardViewController> {
public:
    DashboardViewController();
    ~DashboardViewController() override;

    // Scene "DashboardViewController" (Aerlo::Storyboard).
    static void registerScene();
    static std::shared_ptr<DashboardViewController> instantiateFromStoryboard();

    std::shared_ptr<Kit::TextField> DeviceAndYearSize, SystemVersion, CPU, GPU, ModelIdentifier, SerialNumber,
        ModelNumber, Memory, DisplayType, Resolution, DiskModel, DiskName, UserName, LocalHostName, SipStatus,
        ActivationLockStatus, SMARTStatus, Uptime;
    std::shared_ptr<Kit::ImageView> CurrentDeviceImage, leftFanImage, rightFanImage;
    std::shared_ptr<Kit::TextField> leftSpeedLabel, rightSpeedLabel, leftFanStateLabel, rightFanStateLabel;
    std::shared_ptr<Kit::Box> leftFanBox, rightFanBox;

    SystemKit& systemKit;
    std::shared_ptr<Foundation::Timer> timer; // nothing sets it

    void handleDashboardFansNotification(const Foundation::Notification& notification);
    void updateFansViewHidden(const Foundation::Notification& notification);
    void updateUptime();
    // The picture of the machine's kind: the laptop (the system's computer image), a desktop with its
    // display, a mini or a tower.
    static std::string computerImageName(deviceType type);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void fill();
    void updateReadouts(long left, long right);
    // Rows of caption and value, top down, each as tall as its value's lines.
    void layoutRows();
    void fitTitle();
    // The "RPM" captions just after their numbers.
    void placeUnits();
    std::string uptimeText() const;

    struct Row {
        std::shared_ptr<Kit::TextField> caption;
        std::shared_ptr<Kit::TextField> value;
    };
    std::vector<Row> rows_;
    std::shared_ptr<Kit::Box> infoBox_;
    std::shared_ptr<Kit::TextField> leftUnit_, rightUnit_;
    // The grey slashed fan shown instead of a fan picture while that fan stands still.
    std::shared_ptr<Kit::ImageView> leftStoppedImage_, rightStoppedImage_;
    std::vector<Foundation::ObserverToken> observers_;
};

} // namespace Aerlo
