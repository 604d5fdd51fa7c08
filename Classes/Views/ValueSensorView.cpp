#include "Classes/Views/ValueSensorView.h"

#include "Classes/App/NotificationName.h"
#include "Classes/Configure/Global/TemperatureUnits.h"
#include "Platform/Foundation/NotificationCenter.h"

#include <algorithm>

namespace Aerlo {

namespace {

const Kit::Colour hoverBackground = Kit::Colour::white(0.01, 0.05);

} // namespace

ValueSensorView::ValueSensorView(Sensor_p sensor, std::function<void()> callback, double width)
    : Kit::StackView(Kit::Rect {0, 0, width, height}),
      callback_(std::move(callback)),
      sensor_(std::move(sensor)),
      labelView_(std::make_shared<LabelField>(Kit::Rect {0, 0, 0, labelHeight}, "")),
      valueView_(std::make_shared<ValueField>(Kit::Rect {0, 0, 0, height}, ""))
{
    labelView_->textFieldCell().setTruncatesLastVisibleLine(true);
    setWantsLayer(true);
    setOrientation(Orientation::horizontal);
    setDistribution(Distribution::fillProportionally);
    setSpacing(0);
    layer().setCornerRadius(3);

    labelView_->setStringValue(sensor_.name());
    labelView_->setToolTip(sensor_.key());
    showValue();
    addArrangedSubview(labelView_);
    addArrangedSubview(valueView_);

    addTrackingArea(std::make_shared<Kit::TrackingArea>(Kit::Rect {0, 0, width, height},
        Kit::TrackingArea::mouseEnteredAndExited | Kit::TrackingArea::activeInActiveApp | Kit::TrackingArea::activeAlways,
        this));
    unitObservation_ = Foundation::NotificationCenter::defaultCenter().addObserver(
        NotificationName::updateTemperatureUnit, nullptr,
        [this](const Foundation::Notification& notification) { update(notification); });
}

void ValueSensorView::showValue()
{
    // The letter names the unit the number was converted to, so the two always agree.
    temperatureUnit_ = temperatureUnitsSetting() == UnitTemperature::fahrenheit ? "F" : "C";
    std::string text = sensor_.compactValueText();
    if (sensor_.type() == SensorType::temperature)
        text += temperatureUnit_;
    valueView_->setStringValue(std::move(text));
}

void ValueSensorView::update(const Foundation::Notification& notification)
{
    if (notification.name != NotificationName::updateTemperatureUnit)
        return;
    showValue();
}

void ValueSensorView::layout()
{
    Kit::StackView::layout();
    // A row centres its views vertically: the name 16 high, the value as high as its text.
    const auto centre = [this](Kit::TextField& field, double fieldHeight) {
        Kit::Rect frame = field.frame();
        frame.origin.y = (bounds().height() - fieldHeight) / 2;
        frame.size.height = fieldHeight;
        field.setFrame(frame);
    };
    centre(*labelView_, labelHeight);
    centre(*valueView_, std::min(bounds().height(), valueView_->intrinsicContentSize().height));
}

void ValueSensorView::mouseEntered(const Kit::Event&)
{
    layer().setBackgroundColor(hoverBackground);
}

void ValueSensorView::mouseExited(const Kit::Event&)
{
    layer().setBackgroundColor(std::nullopt);
}

} // namespace Aerlo
