#include "tests/App/ControlCoreTest.h"

#include "Classes/FanControl/QVFanRulesManager.h"
#include "tests/Support/TestAccess.h"

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace Aerlo;

void ControlCoreTest::SetUp()
{
    HelperClientTest::SetUp();
    if (const char* machine = std::getenv("AERLO_MACHINE"))
        previousMachine_ = machine;
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    customFanModeFlag = false;
    fanCount = 0;
    delegate_ = AppDelegate::make();
    delegate_->statusItem = statusItem_;
    delegate_->popupView = popup_;

    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    for (const std::string_view name :
         {NotificationName::dashboardFans, NotificationName::fansController, NotificationName::updateFanAutomatic,
          NotificationName::updateSigleFanAutomatic, NotificationName::systemFanMode, NotificationName::maximumFanMode,
          NotificationName::manualFanMode, NotificationName::customFanMode}) {
        observers_.push_back(centre.addObserver(name, nullptr, [this](const Foundation::Notification& notification) {
            std::string line = notification.name;
            for (const char* key : {"leftSpeed", "rightSpeed"})
                if (const auto found = notification.userInfo.find(key); found != notification.userInfo.end())
                    line += " " + std::to_string(std::any_cast<int>(found->second));
            posts_.push_back(line);
            if (notification.name == NotificationName::customFanMode)
                customFanModeFlag = true;
            else if (notification.name == NotificationName::systemFanMode ||
                     notification.name == NotificationName::maximumFanMode ||
                     notification.name == NotificationName::manualFanMode)
                customFanModeFlag = false;
        }));
    }
}

void ControlCoreTest::TearDown()
{
    observers_.clear();
    waitForFallbackRead();
    delegate_.reset();
    sensors_.reset();
    SystemPlatform::ActiveMachine::select(previousMachine_);
    TestAccess::resetForTesting<SystemKit>();
    customFanModeFlag = false;
    fanCount = fan0Speed = fan0MinSpeed = fan0MaxSpeed = fan1Speed = fan1MinSpeed = fan1MaxSpeed = 0;
    intelCPUAverageTemperature = 0;
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    HelperClientTest::TearDown();
}

void ControlCoreTest::waitForFallbackRead()
{
    for (int i = 0; delegate_ && delegate_->isFallbackReadRunning() && i < 5000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ControlCoreTest::useMachine(const std::string& profile)
{
    waitForFallbackRead();
    SystemPlatform::ActiveMachine::select(profile);
    TestAccess::resetForTesting<SystemKit>();
    sensors_.reset(); // its end resets the shared SMC: before the next machine shares its own
    sensors_ = std::make_unique<SensorsMachine>(profile);
}

void ControlCoreTest::useTable(SMCSim::KeyTable keys, const std::string& profile)
{
    waitForFallbackRead();
    SystemPlatform::ActiveMachine::select(profile);
    TestAccess::resetForTesting<SystemKit>();
    sensors_.reset(); // its end resets the shared SMC: before the next machine shares its own
    sensors_ = std::make_unique<SensorsMachine>(std::move(keys));
}

std::vector<std::string> ControlCoreTest::fanMessages() const
{
    std::vector<std::string> lines;
    for (const auto& line : sent())
        if (line.rfind("setSMCPath:", 0) != 0)
            lines.push_back(line);
    return lines;
}

std::vector<std::string> ControlCoreTest::newFanMessages()
{
    auto all = fanMessages();
    std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(seenMessages_, all.size())),
                                   all.end());
    seenMessages_ = all.size();
    return fresh;
}

std::vector<std::string> ControlCoreTest::takePosts()
{
    return std::exchange(posts_, {});
}
