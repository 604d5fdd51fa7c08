#include "Classes/Views/QVSlider.h"

#include "Classes/Views/QVSliderCell.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Kit/LayoutDirection.h"

#include <charconv>
#include <string>

namespace Aerlo {

QVSlider::QVSlider(const Kit::Rect& frame) : Kit::Slider(frame) { setCell(std::make_shared<QVSliderCell>()); }

QVSlider::QVSlider(const Kit::Coder& coder) : Kit::Slider(coder.frame) {}

void QVSlider::awakeFromNib()
{
    setCell(std::make_shared<QVSliderCell>());
    setMinValue(0);
    setMaxValue(1);
    setAction(Action(this, &QVSlider::valueChangedWithSlider));
}

void QVSlider::valueChangedWithSlider(Kit::Control& sender)
{
    if (valueChangedHandler)
        valueChangedHandler(sender.doubleValue());
}

void QVSlider::setDoubleValue(double value)
{
    const auto* cell = dynamic_cast<const QVSliderCell*>(&this->cell());
    if (isEnabled() && cell && cell->isTracking)
        return;
    Kit::Slider::setDoubleValue(value);
}

void QVSlider::scrollWheel(const Kit::Event& event)
{
    if (!isEnabled())
        return;
    const double range = maxValue() - minValue();
    double delta = event.deltaY;
    if (!sliderCell() || !sliderCell()->isVertical()) {
        delta = Kit::userInterfaceLayoutDirection() == Kit::UserInterfaceLayoutDirection::rightToLeft
                    ? event.deltaY + event.deltaX
                    : event.deltaY - event.deltaX;
    }
    float step = static_cast<float>(delta);
    if (event.isDirectionInvertedFromDevice)
        step = -step;
    step = step * static_cast<float>(range) / 100.0f;
    const float newValue = floatValue() + step;
    Kit::Slider::setDoubleValue(newValue);

    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, newValue);
    Foundation::Console::print("滑动的快的值: " + std::string(text, result.ptr));
    sendAction();
}

} // namespace Aerlo
