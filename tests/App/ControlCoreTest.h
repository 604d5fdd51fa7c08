#pragma once

#include "Classes/App/AppDelegate.h"
#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/SMC/ValueCodec.h"
#include "Platform/System/ActiveMachine.h"
#include "tests/FanControl/HelperClientTest.h"
#include "tests/Sensors/SensorsMachine.h"

#include <any>
#include <memory>
#include <string>
#include <vector>

// A key of a hand-made table holding `value` in `type`.
inline SMCSim::KeyEntry valueKey(const std::string& key, double value, const std::string& type = "flt ")
{
    SMCSim::KeyEntry entry = smcKey(key, type);
    entry.bytes = *SMCSim::ValueCodec::encode(type, value);
    return entry;
}

// The status item as the tick drives it: each call as a line.
class RecordingStatusItem : public Aerlo::StatusItemUpdating {
public:
    void updateStatusBar(int leftSpeed, int rightSpeed) override
    {
        calls.push_back("speeds " + std::to_string(leftSpeed) + " " + std::to_string(rightSpeed));
    }
    void hideFanSpeedTexts() override { calls.push_back("hide fans"); }
    void setStatusItemWidth(double width) override { calls.push_back("width " + std::to_string(int(width))); }
    void showTemperatureText(const std::string& text, bool oneFanLayout) override
    {
        calls.push_back("temperature " + text + (oneFanLayout ? " one-fan" : ""));
    }
    void hideTemperatureText() override { calls.push_back("hide temperature"); }
    void setToolTip(const std::string& text) override { calls.push_back("tool tip " + text); }

    std::vector<std::string> calls;
};

class RecordingPopup : public Aerlo::SensorPopupUpdating {
public:
    void update(const std::vector<Aerlo::Sensor_p>& sensors) override { updates.push_back(sensors.size()); }
    std::vector<std::size_t> updates;
};

// The control core on the manual clock, with recording helper connections, a recording status item
// and popup, and the application's own notifications recorded. Until the fan panels exist, the mode
// notifications do to customFanModeFlag what the panels do.
class ControlCoreTest : public HelperClientTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The simulated machine the sensors and fans are read from (and the active machine's facts).
    void useMachine(const std::string& profile);
    void useTable(SMCSim::KeyTable keys, const std::string& profile = "mbp-m1pro-2fan");

    // The fallback's background read uses the machine: lets it finish before the machine changes.
    void waitForFallbackRead();

    // Fan messages sent so far, without their setSMCPath: lines.
    std::vector<std::string> fanMessages() const;
    // Fan messages sent since the last call.
    std::vector<std::string> newFanMessages();
    // Posts of the application's notifications, as "name" or "name L R" for the speed posts.
    std::vector<std::string> takePosts();

    static void setInteger(std::string_view key, std::int64_t value)
    {
        Foundation::UserDefaults::standard().set(value, key);
    }

    std::shared_ptr<Aerlo::AppDelegate> delegate_;
    std::shared_ptr<RecordingStatusItem> statusItem_ = std::make_shared<RecordingStatusItem>();
    std::shared_ptr<RecordingPopup> popup_ = std::make_shared<RecordingPopup>();
    std::unique_ptr<SensorsMachine> sensors_;

private:
    std::vector<std::string> posts_;
    std::vector<Foundation::ObserverToken> observers_;
    std::size_t seenMessages_ = 0;
    std::string previousMachine_;
};

inline std::string modeMessage(int fan, int mode)
{
    return modeSelector + " [" + std::to_string(fan) + "," + std::to_string(mode) + "]";
}

inline std::string speedMessage(int fan, long long speed)
{
    return speedSelector + " [" + std::to_string(fan) + "," + std::to_string(speed) + "]";
}
