#pragma once

#include "Classes/Configure/SystemKit/Platform.h"
#include "Classes/Sensors/Repeater.h"
#include "Classes/Sensors/Sensor.h"
#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Sensors/Sensors_List.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/TestAccess.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The mean of the CPU temperatures that take part in averages, written by each read() that finds
// "Average CPU"; 0 until then. Degrees Celsius.
inline std::atomic<double> intelCPUAverageTemperature {0};

// The owner of the live readings: builds the machine's list once and refreshes its values on read().
// Passes never overlap: a second caller waits for the running pass, so a copy of the list taken after
// read() returns holds the whole of that pass. Energy is integrated on the clock's monotonic time.
class SensorsReader : public std::enable_shared_from_this<SensorsReader> {
public:
    // The process-wide reader, made on first use from any thread (on the SMC::shared() machine and
    // the platform of the system record). In the app it lives for the whole process; holders keep the
    // one they got across a test reset.
    static std::shared_ptr<SensorsReader> shared();

    // Builds the list of the machine's readings for `platform` (absent: every catalogue row), reading
    // through SMC::shared(); times come from `clock`.
    explicit SensorsReader(std::optional<Platform> platform,
                           const Foundation::Clock& clock = Foundation::Clock::system());
    ~SensorsReader();
    SensorsReader(const SensorsReader&) = delete;
    SensorsReader& operator=(const SensorsReader&) = delete;

    // Every reading, in build order.
    const std::shared_ptr<Sensors_List> list;
    // When true, read() also refreshes readings of group unknown.
    std::atomic<bool> unknownSensorsState {false};
    // Not read by anything.
    std::atomic<bool> HIDState {false};

    // One refresh of every reading, the derived readings, the energy figures and the CPU average.
    void read();

    // Monotonic seconds of the last energy step and of the reader's creation.
    double lastRead() const;
    double firstRead() const { return firstRead_; }
    // The longest span one energy step integrates: a longer gap between reads (a stalled process,
    // a suspended machine) counts as this many seconds.
    static constexpr double maxEnergyStep = 5.0;

    // The list build.
    std::vector<Sensor_p> buildSensorList() const;
    static void keepIfKeyPresent(const Sensor& row, std::vector<std::string>& candidates,
                                 std::vector<Sensor_p>& result);
    static void expandWildcardSensor(const Sensor& row, std::vector<std::string>& candidates,
                                     std::vector<Sensor_p>& result);
    static void makeUnknownSensor(const std::string& key, std::vector<Sensor_p>& result);
    static std::vector<Sensor_p> addComputedSensors(const std::vector<Sensor_p>& kept);

private:
    void updateDerivedReadings(std::vector<Sensor_p>& sensors);

    const std::optional<Platform> platform_;
    const Foundation::Clock& clock_;
    const double firstRead_;
    mutable std::mutex readMutex_; // one pass at a time; guards lastRead_ and repeatTask_
    double lastRead_;
    std::unique_ptr<Repeater> repeatTask_;

    friend struct ::TestAccess;
    // Tests, while no other thread uses it: `reader` becomes the shared one; nullptr makes the next
    // shared() build a fresh one. The previous reader goes as soon as nobody holds it.
    static void resetForTesting(std::shared_ptr<SensorsReader> reader = nullptr);
};

} // namespace Aerlo
