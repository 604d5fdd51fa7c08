#include "Classes/Windows/Dashboard/DashboardViewController.h"

#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Configure/SystemKit/DashboardText.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/Views/FanSpeedReadout.h"
#include "Classes/Views/InitialViewController.h"
#include "Classes/Views/QVBaseBox.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/Box.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/System/ProcessInfo.h"

#include <algorithm>
#include <tuple>

namespace Aerlo {

namespace {

using Foundation::Console;

constexpr double width = InitialViewController::paneWidth;
constexpr double height = InitialViewController::paneHeight;
constexpr double margin = 24;
constexpr double captionWidth = 150;
constexpr double rowGap = 7;
constexpr double fanBoxHeight = 92;

const Kit::Colour backgroundFill = Kit::Colour::dynamic(Kit::Colour::fromRGB255(240, 240, 244),
    Kit::Colour::fromRGB255(30, 30, 34));

std::shared_ptr<Kit::TextField> makeLabel(double size, double weight, bool secondary)
{
    auto label = Kit::TextField::labelWithString("");
    label->setFont(Kit::Font::systemFont(size, weight));
    label->setTextColor(secondary ? Kit::Colour::secondaryLabelColor() : Kit::Colour::labelColor());
    return label;
}

int lineCount(const std::string& text)
{
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

DashboardViewController::DashboardViewController() : systemKit(SystemKit::shared()) {}

DashboardViewController::~DashboardViewController()
{
    if (timer)
        timer->invalidate();
    timer.reset();
}

void DashboardViewController::registerScene()
{
    Storyboard::registerViewController("DashboardViewController", "",
        [] { return std::make_shared<DashboardViewController>(); });
}

std::shared_ptr<DashboardViewController> DashboardViewController::instantiateFromStoryboard()
{
    return std::dynamic_pointer_cast<DashboardViewController>(
        Storyboard::instantiateViewController("DashboardViewController"));
}

// --- the layout ---

void DashboardViewController::loadView()
{
    auto root = std::make_shared<Kit::View>(Kit::Rect {0, 0, width, height});
    root->setWantsLayer(true);
    root->layer().setBackgroundColor(backgroundFill);

    CurrentDeviceImage = std::make_shared<Kit::ImageView>(Kit::Rect {margin, height - margin - 72, 108, 72});
    root->addSubview(CurrentDeviceImage);
    DeviceAndYearSize = makeLabel(22, Kit::Font::Weight::bold, false);
    DeviceAndYearSize->setLineBreakMode(Kit::LineBreakMode::byTruncatingTail);
    DeviceAndYearSize->setFrame({148, height - margin - 34, width - 148 - margin, 28});
    root->addSubview(DeviceAndYearSize);
    SystemVersion = makeLabel(13, Kit::Font::Weight::regular, true);
    SystemVersion->setFrame({148, height - margin - 58, width - 148 - margin, 18});
    root->addSubview(SystemVersion);

    infoBox_ = std::make_shared<QVBaseBox>(Kit::Rect {margin, margin + fanBoxHeight + 14, width - 2 * margin,
        height - 2 * margin - 86 - fanBoxHeight - 14});
    root->addSubview(infoBox_);
    const auto row = [this](const std::string& caption, std::shared_ptr<Kit::TextField>& value) {
        Row made {makeLabel(12, Kit::Font::Weight::medium, true), makeLabel(12, Kit::Font::Weight::regular, false)};
        made.caption->setStringValue(caption);
        made.caption->setAlignment(Kit::TextAlignment::right);
        value = made.value;
        infoBox_->contentView()->addSubview(made.caption);
        infoBox_->contentView()->addSubview(made.value);
        rows_.push_back(made);
    };
    row(LocalizationTable::text("dashboard.processor"), CPU);
    row(LocalizationTable::text("dashboard.graphics"), GPU);
    row(LocalizationTable::text("dashboard.memory"), Memory);
    row(LocalizationTable::text("dashboard.disk"), DiskModel);
    row(LocalizationTable::text("dashboard.modelNumber"), ModelNumber);
    row(LocalizationTable::text("dashboard.modelIdentifier"), ModelIdentifier);
    row(LocalizationTable::text("dashboard.serialNumber"), SerialNumber);
    row(LocalizationTable::text("dashboard.user"), UserName);
    row(LocalizationTable::text("dashboard.hostName"), LocalHostName);
    row(LocalizationTable::text("dashboard.uptime"), Uptime);
    // Laid out and left empty.
    for (auto* unused : {&DisplayType, &Resolution, &DiskName, &SipStatus, &ActivationLockStatus, &SMARTStatus}) {
        *unused = makeLabel(12, Kit::Font::Weight::regular, false);
        (*unused)->setHidden(true);
        root->addSubview(*unused);
    }

    const double boxWidth = (width - 2 * margin - 14) / 2;
    const auto fanBox = [&](double x, const std::string& titleText, std::shared_ptr<Kit::Box>& box,
                            std::shared_ptr<Kit::ImageView>& image, std::shared_ptr<Kit::ImageView>& stopped,
                            std::shared_ptr<Kit::TextField>& speed, std::shared_ptr<Kit::TextField>& state,
                            std::shared_ptr<Kit::TextField>& unit) {
        box = std::make_shared<QVBaseBox>(Kit::Rect {x, margin, boxWidth, fanBoxHeight});
        root->addSubview(box);
        Kit::View& content = *box->contentView();
        const Kit::Rect pictureFrame {16, 20, 48, 48};
        image = FanSpeedReadout::makeFanImage(pictureFrame);
        image->setHidden(true);
        content.addSubview(image);
        // In the turning picture's place while the fan stands still, upright whatever angle it stopped at.
        stopped = std::make_shared<Kit::ImageView>(pictureFrame);
        stopped->setImage(Kit::Image::named("fan.slash.fill_gray"));
        stopped->setImageScaling(Kit::ImageView::ImageScaling::proportionallyUpOrDown);
        content.addSubview(stopped);
        auto title = makeLabel(13, Kit::Font::Weight::semibold, false);
        title->setStringValue(titleText);
        title->setFrame({80, 50, 140, 18});
        content.addSubview(title);
        speed = makeLabel(22, Kit::Font::Weight::bold, false);
        speed->setFont(Kit::Font::monospacedDigitSystemFont(22, Kit::Font::Weight::bold));
        speed->setStringValue("0");
        speed->setFrame({80, 18, 90, 28});
        content.addSubview(speed);
        unit = makeLabel(11, Kit::Font::Weight::medium, true);
        unit->setStringValue("RPM");
        unit->setFrame({80, 22, 40, 16});
        content.addSubview(unit);
        state = makeLabel(12, Kit::Font::Weight::medium, true);
        state->setStringValue(LocalizationTable::text("dashboard.fanStopped"));
        state->setAlignment(Kit::TextAlignment::right);
        state->setFrame({boxWidth - 136, 50, 120, 16});
        content.addSubview(state);
    };
    fanBox(margin, LocalizationTable::text("Left fan"), leftFanBox, leftFanImage, leftStoppedImage_, leftSpeedLabel,
        leftFanStateLabel, leftUnit_);
    fanBox(margin + boxWidth + 14, LocalizationTable::text("Right fan"), rightFanBox, rightFanImage, rightStoppedImage_,
        rightSpeedLabel, rightFanStateLabel, rightUnit_);
    placeUnits();
    setView(root);
}

void DashboardViewController::placeUnits()
{
    for (const auto& [speed, unit] : {std::pair(leftSpeedLabel, leftUnit_), std::pair(rightSpeedLabel, rightUnit_)}) {
        const double used = speed->font().widthOf(speed->stringValue());
        Kit::Rect frame = unit->frame();
        unit->setFrame({speed->frame().x() + used + 10, frame.y(), frame.width(), frame.height()});
    }
}

void DashboardViewController::layoutRows()
{
    const Kit::Rect bounds = infoBox_->contentView()->bounds();
    const double lineHeight = Kit::Font::systemFont(12).lineHeight();
    double lines = 0;
    for (const Row& row : rows_)
        lines += lineCount(row.value->stringValue());
    // The rows spread over the box, never closer than rowGap.
    const double spare = bounds.height() - 24 - lines * lineHeight;
    const double gap = std::clamp(spare / std::max<double>(1, static_cast<double>(rows_.size()) - 1), rowGap, 2 * rowGap);
    double top = bounds.height() - 12;
    for (const Row& row : rows_) {
        const double rowHeight = lineCount(row.value->stringValue()) * lineHeight;
        top -= rowHeight;
        row.caption->setFrame({8, top + rowHeight - lineHeight, captionWidth, lineHeight});
        row.value->setFrame({captionWidth + 22, top, bounds.width() - captionWidth - 34, rowHeight});
        top -= gap;
    }
}

// --- the fill ---

void DashboardViewController::viewDidLoad()
{
    fill();
    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    const std::weak_ptr<DashboardViewController> weak = weak_from_this();
    const auto observe = [&](std::string_view name, void (DashboardViewController::*handler)(const Foundation::Notification&)) {
        observers_.push_back(centre.addObserver(name, nullptr, [weak, handler](const Foundation::Notification& n) {
            if (auto self = weak.lock())
                ((*self).*handler)(n);
        }));
    };
    observe(NotificationName::dashboardFans, &DashboardViewController::handleDashboardFansNotification);
    observe(NotificationName::updateDashboardFansUI, &DashboardViewController::updateFansViewHidden);
    observers_.push_back(centre.addObserver(NotificationName::updateUptime, nullptr, [weak](const Foundation::Notification&) {
        if (auto self = weak.lock())
            self->updateUptime();
    }));
}

std::string DashboardViewController::computerImageName(deviceType type)
{
    const std::string system = Kit::Image::computerName;
    switch (type) {
    case deviceType::iMac:
    case deviceType::iMacPro:
        return system + "-desktop";
    case deviceType::macMini:
    case deviceType::macStudio:
        return system + "-mini";
    case deviceType::macPro:
        return system + "-tower";
    default:
        return system;
    }
}

void DashboardViewController::fill()
{
    const device_s& device = systemKit.device;
    DeviceAndYearSize->setStringValue(device.model.name + " " + std::to_string(device.model.year));
    fitTitle();
    Console::print("设备：" + device.model.name);
    Console::print("年份: " + std::to_string(device.model.year));

    CurrentDeviceImage->setImageScaling(Kit::ImageView::ImageScaling::proportionallyUpOrDown);
    CurrentDeviceImage->setImageAlignment(Kit::ImageView::ImageAlignment::top);
    Kit::Image computer = Kit::Image::named(computerImageName(device.model.type));
    CurrentDeviceImage->setImage(computer.isValid() ? computer : Kit::Image::named(Kit::Image::computerName));

    ModelNumber->setStringValue(device.model.modelNumber);

    const auto expert = SystemKit::platformExpertInfo();
    const std::string identifier = expert && expert->model ? *expert->model : "没有获取到标识符";
    ModelIdentifier->setStringValue(identifier);
    Console::print("型号标识符: " + identifier);

    const std::string versionString = SystemPlatform::ProcessInfo::operatingSystemVersionString();
    SystemVersion->setStringValue("macOS " + (device.os ? device.os->name : std::string()) + " " + versionString);
    Console::print(versionString);

    const std::string cpu = DashboardText::processor(device.info.cpu);
    CPU->setStringValue(cpu);
    Console::print("CPU处理器： " + cpu);

    const std::string gpu = DashboardText::graphics(device.info.gpu);
    GPU->setStringValue(gpu);
    Console::print("GPU显卡：" + gpu);

    const std::string memory = DashboardText::memory(device.info.ram);
    Memory->setStringValue(memory);
    Console::print("内存RAM: " + memory);

    const std::string disk = DashboardText::disk(device.info.disk);
    DiskModel->setStringValue(disk);
    if (device.info.disk && device.info.disk->size != 0) {
        Console::print("磁盘型号：" + device.info.disk->model);
        Console::print("磁盘型号+磁盘大小：" + disk);
    }

    const std::string user = DashboardText::user(SystemPlatform::ProcessInfo::fullUserName(),
        SystemPlatform::ProcessInfo::userName());
    UserName->setStringValue(user);
    Console::print("全名: " + user);

    const std::string host = DashboardText::hostName(DashboardText::runHostNameTool());
    LocalHostName->setStringValue(host);
    Console::print("主机名：" + host);

    const std::string serial = device.serialNumber.value_or("");
    SerialNumber->setStringValue(serial);
    Console::print("当前设备序列号：" + serial);

    Uptime->setStringValue(uptimeText());
    layoutRows();
}

void DashboardViewController::fitTitle()
{
    // A long model name takes a smaller size before it is cut.
    const std::string& title = DeviceAndYearSize->stringValue();
    double size = 22;
    while (size > 15 && Kit::Font::systemFont(size, Kit::Font::Weight::bold).widthOf(title) > DeviceAndYearSize->frame().width() - 6)
        size -= 1;
    DeviceAndYearSize->setFont(Kit::Font::systemFont(size, Kit::Font::Weight::bold));
}

std::string DashboardViewController::uptimeText() const
{
    const std::string text
        = DashboardText::uptime(systemKit.device.bootDate, Foundation::RunLoop::main().clock().wallTime());
    Console::print("启动后的时间长度: " + text);
    return text;
}

void DashboardViewController::updateUptime()
{
    Console::print("当前启动时间：" + uptimeText());
    Uptime->setStringValue(uptimeText());
}

// --- the notifications ---

void DashboardViewController::handleDashboardFansNotification(const Foundation::Notification& notification)
{
    if (notification.name != NotificationName::dashboardFans)
        return;
    if (notification.userInfo.empty()) {
        Console::print("无法将 userInfo 转为 [String: Int]，提前退出");
        return;
    }
    const auto speeds = FanSpeedReadout::speeds(notification.userInfo, {"leftSpeed", "rightSpeed"},
        "leftSpeed 或 rightSpeed 为 nil，提前退出");
    if (!speeds)
        return;
    const long left = (*speeds)[0];
    const long right = (*speeds)[1];
    Console::print("收到左边风扇转速: " + std::to_string(left));
    Console::print("收到右边风扇转速: " + std::to_string(right));
    Foundation::DispatchQueue::main().async([weak = weak_from_this(), left, right] {
        if (auto self = weak.lock())
            self->updateReadouts(left, right);
    });
}

void DashboardViewController::updateReadouts(long left, long right)
{
    // A fan that stops keeps its picture's angle and shows 0 with its label; a turning one goes on
    // turning without starting over.
    const double period = fanIconRotationDuration;
    FanSpeedReadout::spin(*leftFanImage, left, period);
    FanSpeedReadout::spin(*rightFanImage, right, period);
    for (const auto& [speed, image, stopped, state] : {std::tuple {left, leftFanImage, leftStoppedImage_, leftFanStateLabel},
             std::tuple {right, rightFanImage, rightStoppedImage_, rightFanStateLabel}}) {
        image->setHidden(speed < 1);
        stopped->setHidden(speed >= 1);
        state->setHidden(speed >= 1);
    }
    leftSpeedLabel->setStringValue(std::to_string(left));
    rightSpeedLabel->setStringValue(std::to_string(right));
    placeUnits();
}

void DashboardViewController::updateFansViewHidden(const Foundation::Notification& notification)
{
    if (notification.name != NotificationName::updateDashboardFansUI)
        return;
    if (notification.userInfo.empty()) {
        Console::print("错误：通知中的用户信息无效");
        return;
    }
    const auto name = notification.userInfo.find("name");
    if (name == notification.userInfo.end())
        return;
    const auto* text = std::any_cast<std::string>(&name->second);
    if (text && *text == "Fan #0")
        rightFanBox->setAlphaValue(0.2);
}

} // namespace Aerlo
