// The dashboard: its fill on every shipped machine, its fan readouts and its other notifications.
#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Windows/Dashboard/DashboardViewController.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Box.h"
#include "Platform/Kit/ImageRepresentation.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/ProcessInfo.h"
#include "Platform/System/SystemProfiler.h"
#include "QVToolsKit/UI/ViewAnimations.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Aerlo;

namespace {

class DashboardTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        SystemPlatform::SystemProfiler::installStandIn();
        host_.emplace(root_.path(), "/usr/bin/env", "printf 'Test-Host.local\\n'");
        TestAccess::setUserNamesForTesting<SystemPlatform::ProcessInfo>(
            SystemPlatform::ProcessInfo::UserNames{"ada", "Ada Lovelace,Room 1,,"});
        select("mbp-m1pro-2fan");
        fanIconRotationDuration = 2.0;
    }
    void TearDown() override
    {
        TestAccess::setUserNamesForTesting<SystemPlatform::ProcessInfo>(std::nullopt);
        Kit::Appearance::setApplication(std::nullopt);
        host_.reset();
        SystemPlatform::ActiveMachine::reset();
        TestAccess::resetForTesting<SystemKit>();
        KitTest::TearDown();
    }

    static void select(const std::string& machine)
    {
        SystemPlatform::ActiveMachine::select(machine);
        TestAccess::resetForTesting<SystemKit>();
    }
    // A loaded dashboard, its printed lines in `console_`.
    std::shared_ptr<DashboardViewController> load()
    {
        auto dashboard = std::make_shared<DashboardViewController>();
        (void)dashboard->view();
        return dashboard;
    }
    void postFans(Foundation::UserInfo info)
    {
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::dashboardFans, nullptr, std::move(info));
    }
    static double angle(Kit::View& image)
    {
        const auto turn = image.layer().animation(QVToolsKit::rotationAnimationKey);
        if (!turn)
            return 0;
        const double local = image.layer().convertTime(Kit::AnimationClock::mediaTime(), nullptr) - turn->beginTime;
        return std::fmod(local / turn->duration, 1.0);
    }

    TempRoot root_;
    std::optional<FakeTool> host_;
    ConsoleCapture console_;
};

// The other picture in a fan picture's place.
Kit::ImageView* stoppedPicture(const Kit::ImageView& fan)
{
    for (const auto& sibling : fan.superview()->subviews())
        if (auto* image = dynamic_cast<Kit::ImageView*>(sibling.get()); image && image != &fan && image->frame() == fan.frame())
            return image;
    return nullptr;
}

bool balanced(const std::string& text)
{
    int depth = 0;
    for (char c : text) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            return false;
    }
    return depth == 0;
}

} // namespace

TEST_F(DashboardTest, FillsFromEveryShippedMachine)
{
    std::vector<std::string> machines;
    for (const auto& entry : std::filesystem::directory_iterator(SMCSim::MachineProfile::directory()))
        if (entry.path().extension() == ".json")
            machines.push_back(entry.path().stem().string());
    std::sort(machines.begin(), machines.end());
    ASSERT_GE(machines.size(), 10u);
    for (const std::string& machine : machines) {
        SCOPED_TRACE(machine);
        select(machine);
        console_.clear();
        auto dashboard = load();
        const device_s& device = SystemKit::shared().device;
        const std::string version = SystemPlatform::ProcessInfo::operatingSystemVersionString();
        EXPECT_EQ(dashboard->DeviceAndYearSize->stringValue(), device.model.name + " " + std::to_string(device.model.year));
        EXPECT_EQ(dashboard->SystemVersion->stringValue(), "macOS " + device.os->name + " " + version);
        EXPECT_EQ(dashboard->UserName->stringValue(), "Ada Lovelace  (ada)");
        EXPECT_EQ(dashboard->LocalHostName->stringValue(), "Test-Host");
        EXPECT_TRUE(dashboard->CurrentDeviceImage->image().isValid());

        std::vector<std::string> expected{"设备：" + device.model.name, "年份: " + std::to_string(device.model.year),
            "型号标识符: " + dashboard->ModelIdentifier->stringValue(), version,
            "CPU处理器： " + dashboard->CPU->stringValue(), "GPU显卡：" + dashboard->GPU->stringValue(),
            "内存RAM: " + dashboard->Memory->stringValue()};
        if (device.info.disk && device.info.disk->size != 0) {
            expected.push_back("磁盘型号：" + device.info.disk->model);
            expected.push_back("磁盘型号+磁盘大小：" + dashboard->DiskModel->stringValue());
        }
        expected.push_back("全名: Ada Lovelace  (ada)");
        expected.push_back("主机名：Test-Host");
        expected.push_back("当前设备序列号：" + device.serialNumber.value_or(""));
        expected.push_back("启动后的时间长度: " + dashboard->Uptime->stringValue());
        std::string printed;
        for (const std::string& line : console_.lines())
            printed += line + "\n";
        std::string wanted;
        for (const std::string& line : expected)
            wanted += line + "\n";
        EXPECT_EQ(printed, wanted);

        for (const auto& field : {dashboard->CPU, dashboard->GPU, dashboard->Memory, dashboard->DiskModel})
            EXPECT_TRUE(balanced(field->stringValue())) << field->stringValue();
        if (device.platform == Platform::intel) {
            ASSERT_TRUE(device.info.ram);
            const std::string memory = dashboard->Memory->stringValue();
            const auto lines = std::count(memory.begin(), memory.end(), '\n');
            EXPECT_EQ(static_cast<std::size_t>(lines + 1), device.info.ram->dimms.size());
            // Each module on its own line, the field as tall as its lines.
            EXPECT_GE(dashboard->Memory->frame().height(), (lines + 1) * dashboard->Memory->font().lineHeight() - 0.5);
        }
        Kit::Testing::Snapshot::of(*dashboard->view(), 2).save("main-window", "dashboard-" + machine);
    }
}

TEST_F(DashboardTest, TheComputerPictureFollowsTheMachinesKind)
{
    const std::pair<const char*, const char*> kinds[] = {{"mbp-m1pro-2fan", "NSComputer"},
        {"imac-intel-1fan", "NSComputer-desktop"}, {"mini-m4-1fan", "NSComputer-mini"},
        {"macpro-intel-4fan", "NSComputer-tower"}};
    for (const auto& [machine, picture] : kinds) {
        select(machine);
        auto dashboard = load();
        ASSERT_TRUE(Kit::Image::named(picture).isValid()) << picture;
        EXPECT_EQ(dashboard->CurrentDeviceImage->image().representation().pixels,
            Kit::Image::named(picture).representation().pixels) << machine;
    }
}

TEST_F(DashboardTest, RendersLightAndDark)
{
    for (const char* machine : {"mbp-intel-2fan", "mbp-m3max-2fan", "imac-intel-1fan", "mini-m4-1fan", "macpro-intel-4fan"})
    for (const char* language : {"en", "zh_CN"}) {
        ScopedEnvironment chosen("LANGUAGE", language);
        for (bool dark : {false, true}) {
            select(machine);
            Kit::Appearance::setApplication(dark ? Kit::Appearance::darkAqua() : Kit::Appearance::aqua());
            SystemKit::shared().device.bootDate = std::chrono::system_clock::time_point(std::chrono::seconds(
                static_cast<long long>(Foundation::RunLoop::main().clock().wallTime()) - (2 * 86400 + 3 * 3600 + 300)));
            auto dashboard = load();
            if (language == std::string("en"))
                EXPECT_EQ(dashboard->Uptime->stringValue(), "2 days, 3 hours");
            postFans({{"leftSpeed", 0}, {"rightSpeed", 2150}});
            driver().runUntilIdle();
            advance(0.3);
            const auto snapshot = Kit::Testing::Snapshot::of(*dashboard->view(), 2);
            snapshot.save("main-window", std::string("dashboard-") + machine + (language == std::string("en") ? "" : "-zh")
                + (dark ? "-dark" : "-light"));
            const Kit::Colour background = snapshot.colourAt({4, 4});
            if (dark)
                EXPECT_LT(background.redComponent(), 0.25);
            else
                EXPECT_GT(background.redComponent(), 0.85);
            // Text in the value column of the first row.
            const Kit::Rect cpu = dashboard->CPU->convertTo(dashboard->CPU->bounds(), nullptr);
            EXPECT_TRUE(snapshot.inkBounds().has_value());
            EXPECT_FALSE(snapshot.isClear(cpu));
        }
    }
}

TEST_F(DashboardTest, NoDiskAndNoProcessorName)
{
    SystemKit::shared().device.info.disk.reset();
    cpu_s counts;
    counts.physicalCores = 10;
    counts.logicalCores = 10;
    SystemKit::shared().device.info.cpu = counts;
    host_.emplace(root_.path(), "/usr/bin/env", "exit 0");
    auto dashboard = load();
    EXPECT_EQ(dashboard->DiskModel->stringValue(), "Unknown");
    EXPECT_EQ(dashboard->CPU->stringValue(), "10 cores, 10 threads");
    EXPECT_EQ(dashboard->LocalHostName->stringValue(), "Unknown");
    for (const std::string& line : console_.lines())
        EXPECT_FALSE(line.starts_with("磁盘型号")) << line;
}

TEST_F(DashboardTest, FanReadoutsFollowTheTickAfterTheMainQueueRuns)
{
    auto dashboard = load();
    console_.clear();
    postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
    EXPECT_EQ(console_.lines(), (std::vector<std::string>{"收到左边风扇转速: 0", "收到右边风扇转速: 1500"}));
    EXPECT_EQ(dashboard->rightSpeedLabel->stringValue(), "0");
    driver().runUntilIdle();
    EXPECT_EQ(dashboard->leftFanImage->layer().speed(), 0.0);
    EXPECT_FALSE(dashboard->leftFanStateLabel->isHidden());
    EXPECT_EQ(dashboard->leftSpeedLabel->stringValue(), "0");
    const auto turn = dashboard->rightFanImage->layer().animation(QVToolsKit::rotationAnimationKey);
    ASSERT_TRUE(turn);
    EXPECT_EQ(turn->duration, 2.0);
    EXPECT_TRUE(dashboard->rightFanStateLabel->isHidden());
    EXPECT_EQ(dashboard->rightSpeedLabel->stringValue(), "1500");

    // A stopped fan shows the grey slashed fan in its picture's place; a turning one its turning picture.
    EXPECT_TRUE(dashboard->leftFanImage->isHidden());
    ASSERT_NE(stoppedPicture(*dashboard->leftFanImage), nullptr);
    EXPECT_FALSE(stoppedPicture(*dashboard->leftFanImage)->isHidden());
    EXPECT_EQ(stoppedPicture(*dashboard->leftFanImage)->image().representation().pixels,
        Kit::Image::named("fan.slash.fill_gray").representation().pixels);
    EXPECT_FALSE(dashboard->rightFanImage->isHidden());
    EXPECT_TRUE(stoppedPicture(*dashboard->rightFanImage)->isHidden());

    // A fan that stops shows 0 and its label.
    postFans({{"leftSpeed", 0}, {"rightSpeed", 0}});
    driver().runUntilIdle();
    EXPECT_EQ(dashboard->rightSpeedLabel->stringValue(), "0");
    EXPECT_FALSE(dashboard->rightFanStateLabel->isHidden());
    EXPECT_TRUE(dashboard->rightFanImage->isHidden());
    EXPECT_FALSE(stoppedPicture(*dashboard->rightFanImage)->isHidden());

    console_.clear();
    postFans({{"leftSpeed", 1}});
    postFans({});
    postFans({{"leftSpeed", std::string("fast")}, {"rightSpeed", 1}});
    driver().runUntilIdle();
    EXPECT_EQ(console_.lines(), (std::vector<std::string>{"leftSpeed 或 rightSpeed 为 nil，提前退出",
        "无法将 userInfo 转为 [String: Int]，提前退出", "无法将 userInfo 转为 [String: Int]，提前退出"}));
    EXPECT_EQ(dashboard->leftSpeedLabel->stringValue(), "0");
}

TEST_F(DashboardTest, FanImagesTurnOnAndKeepTheirAngleWhilePaused)
{
    auto dashboard = load();
    Kit::ImageView& image = *dashboard->rightFanImage;
    postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
    driver().runUntilIdle();
    const auto turn = image.layer().animation(QVToolsKit::rotationAnimationKey);
    ASSERT_TRUE(turn);
    const double begin = turn->beginTime;
    for (int tick = 0; tick < 5; ++tick) {
        advance(0.4);
        postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
        driver().runUntilIdle();
        EXPECT_EQ(image.layer().animation(QVToolsKit::rotationAnimationKey), turn);
        EXPECT_EQ(image.layer().animation(QVToolsKit::rotationAnimationKey)->beginTime, begin);
    }
    EXPECT_NEAR(std::remainder(angle(image), 1.0), 0.0, 1e-6); // five ticks of 0.4 s: one whole turn of 2 s

    advance(0.5);
    postFans({{"leftSpeed", 0}, {"rightSpeed", 0}});
    driver().runUntilIdle();
    const double paused = angle(image);
    EXPECT_NEAR(paused, 0.25, 1e-6);
    for (int tick = 0; tick < 3; ++tick) {
        advance(1);
        postFans({{"leftSpeed", 0}, {"rightSpeed", 0}});
        driver().runUntilIdle();
        EXPECT_NEAR(angle(image), paused, 1e-6);
    }
    postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
    driver().runUntilIdle();
    EXPECT_NEAR(angle(image), paused, 1e-6);
    advance(0.5);
    EXPECT_NEAR(angle(image), 0.5, 1e-6);

    // A new period restarts the turn once.
    fanIconRotationDuration = 5.0;
    postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
    driver().runUntilIdle();
    const auto slower = image.layer().animation(QVToolsKit::rotationAnimationKey);
    ASSERT_TRUE(slower);
    EXPECT_EQ(slower->duration, 5.0);
    advance(1);
    postFans({{"leftSpeed", 0}, {"rightSpeed", 1500}});
    driver().runUntilIdle();
    EXPECT_EQ(image.layer().animation(QVToolsKit::rotationAnimationKey), slower);
}

TEST_F(DashboardTest, FanBoxRequestAndUptimeRequest)
{
    auto dashboard = load();
    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    centre.post(NotificationName::updateDashboardFansUI, nullptr, {{"name", std::string("Fan #1")}});
    EXPECT_EQ(dashboard->rightFanBox->alphaValue(), 1.0);
    centre.post(NotificationName::updateDashboardFansUI, nullptr, {{"name", std::string("Fan #0")}});
    EXPECT_EQ(dashboard->rightFanBox->alphaValue(), 0.2);
    console_.clear();
    centre.post(NotificationName::updateDashboardFansUI);
    EXPECT_EQ(console_.lines(), std::vector<std::string>{"错误：通知中的用户信息无效"});

    SystemKit::shared().device.bootDate = std::chrono::system_clock::time_point(std::chrono::seconds(
        static_cast<long long>(Foundation::RunLoop::main().clock().wallTime()) - (3 * 3600 + 10 * 60)));
    console_.clear();
    centre.post(NotificationName::updateUptime);
    EXPECT_EQ(console_.lines(), (std::vector<std::string>{"启动后的时间长度: 3 hours, 10 minutes",
        "当前启动时间：3 hours, 10 minutes", "启动后的时间长度: 3 hours, 10 minutes"}));
    EXPECT_EQ(dashboard->Uptime->stringValue(), "3 hours, 10 minutes");
}

TEST_F(DashboardTest, NothingReachesADashboardThatIsGone)
{
    auto dashboard = load();
    postFans({{"leftSpeed", 1200}, {"rightSpeed", 1500}});
    dashboard.reset();
    console_.clear();
    driver().runUntilIdle();
    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    postFans({{"leftSpeed", 1200}, {"rightSpeed", 1500}});
    centre.post(NotificationName::updateUptime);
    centre.post(NotificationName::updateDashboardFansUI);
    driver().runUntilIdle();
    EXPECT_EQ(console_.output(), "");
}

TEST_F(DashboardTest, SceneComesFromTheStoryboard)
{
    TestAccess::resetForTesting<Storyboard>();
    DashboardViewController::registerScene();
    EXPECT_NE(DashboardViewController::instantiateFromStoryboard(), nullptr);
    TestAccess::resetForTesting<Storyboard>();
}
