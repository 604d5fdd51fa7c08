#pragma once

#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Configure/SystemKit/QVSystemHardwareInfo.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/FanControl/FanRule.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Windows/FanControl/FanPanelController.h"
#include "Classes/Windows/FanControl/QVFanSpeedWindowController.h"
#include "Classes/Windows/FanControl/SingleFanController.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Views/QVSlider.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/SegmentedControl.h"
#include "Platform/Kit/TextField.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/SystemProfiler.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "QVToolsKit/UI/ViewAnimations.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/TestAccess.h"
#include "tests/Support/XPC/RecordingTransport.h"
#include "tests/Views/ViewsTest.h"

#include <gtest/gtest.h>

#include <any>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Aerlo::Testing {

inline std::string modeMessage(int fan, int mode)
{
    return "mode " + std::to_string(fan) + " " + std::to_string(mode);
}

inline std::string speedMessage(int fan, long long speed)
{
    return "speed " + std::to_string(fan) + " " + std::to_string(speed);
}

// A fan panel on the manual clock: recording helper connections, scripted alerts, recorded analytics
// events, printed lines and posts; the fan values of a two-fan machine (0 to 5999 and 0 to 6000 rpm).
class FanPanelTest : public ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        SystemPlatform::SystemProfiler::installStandIn();
        SystemPlatform::ActiveMachine::select("mbp-m1pro-2fan");
        TestAccess::resetForTesting<SystemKit>();
        QVSystemHardwareInfo::chipKeyword = "m8";
        Kit::AlertPresenter::replaceShared(alerts_);
        TestAccess::resetForTesting<QVAlertManager>();
        TestAccess::resetForTesting<SMCHelper>([this] {
            auto transport = std::make_shared<XPC::RecordingTransport>(std::string(SMCHelper::label));
            connections_.push_back(transport);
            return transport;
        });
        Vendors::MSACAnalytics::setSink([this](const Vendors::MSACEvent& event) { events_.push_back(event.name); });
        Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
        for (std::string_view name : {NotificationName::syncFansControl, NotificationName::fansModeToggle,
                 NotificationName::fanHelperState, NotificationName::openCustomFanSpeedPreference})
            observers_.push_back(centre.addObserver(name, nullptr, [this](const Foundation::Notification& n) {
                std::string line = n.name;
                for (const auto& [key, value] : n.userInfo) {
                    line += " " + key + "=";
                    if (const auto* text = std::any_cast<std::string>(&value))
                        line += *text;
                    else if (const auto* flag = std::any_cast<bool>(&value))
                        line += *flag ? "true" : "false";
                }
                posts_.push_back(line);
            }));
        Kit::Application::shared().setQuitHandler([this] { ++quits_; });
        customFanModeFlag = false;
        fanIconRotationDuration = 2.0;
        setFans(2, {0, 5999}, {0, 6000});
        leftFanSpeed = 0;
        rightFanSpeed = 0;
    }

    void TearDown() override
    {
        windowController_.reset();
        TestAccess::resetForTesting<Kit::Application>();
        observers_.clear();
        Vendors::MSACAnalytics::setSink(nullptr);
        TestAccess::resetForTesting<SMCHelper>();
        Kit::AlertPresenter::replaceShared(nullptr);
        TestAccess::resetForTesting<QVAlertManager>();
        SystemPlatform::ActiveMachine::reset();
        TestAccess::resetForTesting<SystemKit>();
        customFanModeFlag = false;
        setFans(0, {0, 0}, {0, 0});
        ViewsTest::TearDown();
    }

    struct Range {
        double min;
        double max;
    };
    static void setFans(double count, Range left, Range right)
    {
        fanCount = count;
        leftFanMinSpeed = left.min;
        leftFanMaxSpeed = left.max;
        rightFanMinSpeed = right.min;
        rightFanMaxSpeed = right.max;
    }

    // The helper counts as installed (its program file exists) or not.
    static void setHelperInstalled(bool installed)
    {
        const auto program = SystemPlatform::HelperPaths::installedProgram(SMCHelper::label);
        if (installed) {
            std::filesystem::create_directories(program.parent_path());
            std::ofstream(program) << "#!/bin/sh\n";
        } else {
            std::filesystem::remove(program);
        }
    }

    // The fan window with the panel, built by its scene as start-up builds it, shown.
    template <class Panel>
    Panel& loadPanel()
    {
        QVFanSpeedWindowController::registerScenes();
        windowController_ = std::is_same_v<Panel, SingleFanController>
            ? Storyboard::instantiateWindowController("FanSpeedController", "SingleFanWindowController")
            : Storyboard::instantiateWindowController("FanSpeedController");
        auto* panel = dynamic_cast<Panel*>(windowController_->contentViewController().get());
        EXPECT_NE(panel, nullptr);
        windowController_->window()->setFrame({400, 300, panel->view()->frame().width(), panel->view()->frame().height()},
            true);
        windowController_->showWindow();
        driver().runUntilIdle();
        return *panel;
    }
    // The same, with what loading sent, printed and tracked taken away.
    template <class Panel>
    Panel& loadPanelQuietly()
    {
        Panel& panel = loadPanel<Panel>();
        takeMessages();
        takeEvents();
        console_.clear();
        return panel;
    }
    Kit::Window& panelWindow() { return *windowController_->window(); }

    // Fan messages since the last call, without the setSMCPath: lines.
    std::vector<std::string> takeMessages()
    {
        std::vector<std::string> lines;
        for (const auto& connection : connections_)
            for (const auto& message : connection->messages()) {
                const std::string selector = message.value("sel", std::string());
                const auto args = message.value("args", XPC::Message());
                if (selector == "setFanModeWithId:mode:completion:")
                    lines.push_back(modeMessage(args[0].get<int>(), args[1].get<int>()));
                else if (selector == "setFanSpeedWithId:value:completion:")
                    lines.push_back(speedMessage(args[0].get<int>(), args[1].get<long long>()));
                else if (selector != "setSMCPath:")
                    lines.push_back(selector);
            }
        std::vector<std::string> fresh(lines.begin() + static_cast<long>(seen_), lines.end());
        seen_ = lines.size();
        return fresh;
    }
    std::vector<std::string> takePosts() { return std::exchange(posts_, {}); }
    std::vector<std::string> takeEvents() { return std::exchange(events_, {}); }

    // Posts the tick's speeds and runs the queued display update.
    void postSpeeds(Foundation::UserInfo info)
    {
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::fansController, nullptr, std::move(info));
        driver().runUntilIdle();
    }
    void postMode(std::string_view name)
    {
        Foundation::NotificationCenter::defaultCenter().post(name);
        driver().runUntilIdle();
    }
    // Chooses a segment as the user does, with a click in its middle.
    void clickSegment(FanPanelController& panel, long segment)
    {
        Kit::SegmentedControl& control = *panel.fanModeSegmented;
        const Kit::Rect rect = control.rectOfSegment(segment);
        const Kit::Point inControl {rect.midX(), rect.midY()};
        Kit::Testing::EventInjector(panelWindow()).click(control.convertTo(inControl, nullptr));
        driver().runUntilIdle();
    }
    // Drags a slider's knob from its current place to `position`, by mouse events.
    void dragSlider(QVSlider& slider, double position)
    {
        const Kit::Rect bounds = slider.bounds();
        const auto at = [&](double p) {
            return slider.convertTo(Kit::Point {bounds.x() + 10.5 + p * (bounds.width() - 21), bounds.midY()}, nullptr);
        };
        Kit::Testing::EventInjector input(panelWindow());
        input.down(at(slider.doubleValue()));
        input.dragTo(at((slider.doubleValue() + position) / 2));
        input.dragTo(at(position));
        input.up(at(position));
        driver().runUntilIdle();
    }
    // A fresh application object told to quit from the panel's more menu; the menu it showed.
    std::shared_ptr<Kit::Menu> quitThroughMenu(FanPanelController& panel)
    {
        TestAccess::resetForTesting<Kit::Application>();
        Kit::Application::shared().setQuitHandler([this] { ++quits_; });
        quits_ = 0;
        panel.moreBtnClickted(*panel.moreButton);
        std::shared_ptr<Kit::Menu> menu = panel.moreMenu();
        EXPECT_TRUE(menu && menu->numberOfItems() == 4);
        if (menu && menu->numberOfItems() == 4)
            menu->itemAt(3)->perform();
        return menu;
    }
    static void storeRule()
    {
        QVFanRulesManager::saveFanRules({FanRule {"Any Sensor", 60, "All Fans", 50}});
    }
    static double layerSpeed(Kit::View& view) { return view.layer().speed(); }
    static std::optional<double> turnPeriod(Kit::View& view)
    {
        const auto animation = view.layer().animation(QVToolsKit::rotationAnimationKey);
        return animation ? std::optional<double>(animation->duration) : std::nullopt;
    }

    std::shared_ptr<Kit::ScriptedAlertPresenter> alerts_ = std::make_shared<Kit::ScriptedAlertPresenter>();
    ConsoleCapture console_;
    std::shared_ptr<Kit::WindowController> windowController_;
    // Times the application was told to quit.
    int quits_ = 0;

private:
    std::vector<std::shared_ptr<XPC::RecordingTransport>> connections_;
    std::size_t seen_ = 0;
    std::vector<std::string> posts_;
    std::vector<std::string> events_;
    std::vector<Foundation::ObserverToken> observers_;
};

} // namespace Aerlo::Testing
