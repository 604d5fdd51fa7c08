#include "Classes/Sensors/Sensor_p.h"

namespace Aerlo {

const std::string& Sensor_p::key() const
{
    return std::visit([](const auto& record) -> const std::string& { return record.key; }, record_);
}

const std::string& Sensor_p::name() const
{
    return std::visit([](const auto& record) -> const std::string& { return record.name; }, record_);
}

double Sensor_p::value() const
{
    return std::visit([](const auto& record) { return record.value; }, record_);
}

void Sensor_p::setValue(double value)
{
    std::visit([value](auto& record) { record.value = value; }, record_);
}

void Sensor_p::modifyValue(const std::function<void(double&)>& change)
{
    std::visit([&change](auto& record) { change(record.value); }, record_);
}

bool Sensor_p::state() const
{
    return std::visit([](const auto& record) { return record.state(); }, record_);
}

bool Sensor_p::popupState() const
{
    return std::visit([](const auto& record) { return record.popupState(); }, record_);
}

SensorGroup Sensor_p::group() const
{
    return std::visit([](const auto& record) { return record.group; }, record_);
}

SensorType Sensor_p::type() const
{
    return std::visit([](const auto& record) { return record.type; }, record_);
}

bool Sensor_p::isComputed() const
{
    return std::visit([](const auto& record) { return record.isComputed; }, record_);
}

bool Sensor_p::average() const
{
    return std::visit([](const auto& record) { return record.average; }, record_);
}

std::string Sensor_p::unit() const
{
    if (const Fan* fan = this->fan())
        return fan->unit;
    return std::get<Sensor>(record_).unit();
}

std::string Sensor_p::formattedValue() const
{
    return std::visit([](const auto& record) { return record.formattedValue(); }, record_);
}

std::string Sensor_p::formattedMiniValue() const
{
    return std::visit([](const auto& record) { return record.formattedMiniValue(); }, record_);
}

std::string Sensor_p::formattedPopupValue() const
{
    return std::visit([](const auto& record) { return record.formattedPopupValue(); }, record_);
}

} // namespace Aerlo
