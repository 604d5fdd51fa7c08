#include "Classes/Views/SensorView.h"

#include "Platform/Foundation/Console.h"

namespace Aerlo {

SensorView::SensorView(const Sensor_p& sensor, std::function<void()> sizeCallback, double width)
    : Kit::StackView(Kit::Rect {0, 0, width, height}), sizeCallback_(std::move(sizeCallback))
{
    setOrientation(Orientation::vertical);
    setDistribution(Distribution::fillProportionally);
    setSpacing(0);
    valueView_ = std::make_shared<ValueSensorView>(
        sensor, [] { Foundation::Console::print("点击了单行传感器"); }, width);
    addArrangedSubview(valueView_);
}

} // namespace Aerlo
