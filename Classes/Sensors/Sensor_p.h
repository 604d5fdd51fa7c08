#pragma once

#include "Classes/Sensors/Fan.h"
#include "Classes/Sensors/Sensor.h"

#include <functional>
#include <string>
#include <variant>

namespace Aerlo {

// A reading that is either a Sensor or a Fan, with what both offer.
class Sensor_p {
public:
    Sensor_p(Sensor sensor) : record_(std::move(sensor)) {}
    Sensor_p(Fan fan) : record_(std::move(fan)) {}

    bool isFan() const { return std::holds_alternative<Fan>(record_); }
    // The record when it is of that kind, else nullptr.
    const Sensor* sensor() const { return std::get_if<Sensor>(&record_); }
    Sensor* sensor() { return std::get_if<Sensor>(&record_); }
    const Fan* fan() const { return std::get_if<Fan>(&record_); }
    Fan* fan() { return std::get_if<Fan>(&record_); }
    const std::variant<Sensor, Fan>& record() const { return record_; }

    const std::string& key() const;
    const std::string& name() const;
    double value() const;
    void setValue(double value);
    void modifyValue(const std::function<void(double&)>& change);
    bool state() const;
    bool popupState() const;
    SensorGroup group() const;
    SensorType type() const;
    bool isComputed() const;
    bool average() const;
    // A fan's own unit field; a sensor's by its type.
    std::string unit() const;

    std::string formattedValue() const;
    std::string formattedMiniValue() const;
    std::string formattedPopupValue() const;
    // The same texts under the names the rules and the popup use.
    std::string compactValueText() const { return formattedMiniValue(); }
    std::string preciseValueText() const { return formattedPopupValue(); }

    bool operator==(const Sensor_p&) const = default;

private:
    std::variant<Sensor, Fan> record_;
};

} // namespace Aerlo
