#include "Classes/Views/ValueSensorView.h"

#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/TemperatureUnits.h"
#include "Platform/Foundation/NotificationCenter.h"

#include <algorithm>

namespace Aerlo {

namespace {

const Kit::Colour hoverBackground = Kit::Colour::white(0.01, 0.05);

} // namespace

ValueSensorView::ValueSensorView(Sensor_p sensor, std::function<void()> callback, double width)
    : Kit::StackView(Kit::Rect {0, 0, width, height}), callback_(std::move(callback)), sensor_(std::move(sensor)),
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
                                                        Kit::TrackingArea::mouseEnteredAndExited
                                                            | Kit::TrackingArea::activeInActiveApp
                                                            | Kit::TrackingArea::activeAlways,
                                                        this));
    unitObservation_ = Foundation::NotificationCenter::defaultCenter().addObserver(
        NotificationName::updateTemperatureUnit, nullptr,
        [this](const Foundation::Notification& notification) { update(notification); });
}

void ValueSensorView::showValue()
{
    // The letter names the unit the number was converted to, so the two always agree.
    temperatureUnit_.assign(1, temperatureUnitsSetting() == UnitTemperature::fahrenheit ? 'F' : 'C');
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
    // The name is 16 high, centred in the row; the value sits on the name's baseline.
    Kit::Rect label = labelView_->frame();
    label.origin.y = (bounds().height() - labelHeight) / 2;
    label.size.height = labelHeight;
    labelView_->setFrame(label);

    Kit::Rect value = valueView_->frame();
    value.size.height = std::min(bounds().height(), valueView_->intrinsicContentSize().height);
    const double baseline = label.maxY() - labelView_->font().ascender();
    const double top = std::min(bounds().height(), baseline + valueView_->font().ascender());
    value.origin.y = std::max(0.0, top - value.height());
    valueView_->setFrame(value);
}

void ValueSensorView::mouseEntered(const Kit::Event&) { layer().setBackgroundColor(hoverBackground); }

void ValueSensorView::mouseExited(const Kit::Event&) { layer().setBackgroundColor(std::nullopt); }

} // namespace Aerlo
