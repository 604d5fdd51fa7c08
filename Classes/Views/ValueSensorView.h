#pragma once

#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Views/LabelField.h"
#include "Classes/Views/ValueField.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/StackView.h"

#include <functional>
#include <memory>
#include <string>

namespace Aerlo {

// The name and value of one reading in the sensor popup: the name at the left, cut at its end, the value
// at the right; a faint grey background while the pointer is over it.
class ValueSensorView : public Kit::StackView {
public:
    static constexpr double height = 22;
    static constexpr double labelHeight = 16;

    ValueSensorView(Sensor_p sensor, std::function<void()> callback, double width);

    const std::function<void()>& callback() const { return callback_; }
    const std::string& temperatureUnit() const { return temperatureUnit_; }
    const Sensor_p& sensor() const { return sensor_; }
    const std::shared_ptr<LabelField>& labelView() const { return labelView_; }
    const std::shared_ptr<ValueField>& valueView() const { return valueView_; }

    // The unit notification: the value text again, in the unit now chosen; other names are ignored.
    void update(const Foundation::Notification& notification);

    void layout() override;
    void mouseEntered(const Kit::Event& event) override;
    void mouseExited(const Kit::Event& event) override;
    void mouseDown(const Kit::Event&) override {}

private:
    // The letter and the value text from the stored reading.
    void showValue();

    std::function<void()> callback_;
    std::string temperatureUnit_;
    Sensor_p sensor_;
    std::shared_ptr<LabelField> labelView_;
    std::shared_ptr<ValueField> valueView_;
    Foundation::ObserverToken unitObservation_;
};

} // namespace Aerlo
