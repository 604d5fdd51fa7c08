#pragma once

#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Views/ValueSensorView.h"
#include "Platform/Kit/StackView.h"

#include <functional>
#include <memory>

namespace Aerlo {

// One row of the sensor popup, 22 high, holding the reading's name and value.
class SensorView : public Kit::StackView {
public:
    static constexpr double height = 22;

    // `sizeCallback` is kept for the popup and never called by the row.
    SensorView(const Sensor_p& sensor, std::function<void()> sizeCallback, double width);

    const std::function<void()>& sizeCallback() const { return sizeCallback_; }
    const std::shared_ptr<ValueSensorView>& valueView() const { return valueView_; }
    bool openned = false;

private:
    std::function<void()> sizeCallback_;
    std::shared_ptr<ValueSensorView> valueView_;
};

} // namespace Aerlo
