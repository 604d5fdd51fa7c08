#include "Platform/Kit/Slider.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/KeyCode.h"

#include <sstream>

namespace Kit {

Slider::Slider(const Rect& frame) : Control(frame, std::make_shared<SliderCell>()) {}

Slider::~Slider()
{
    // A slider that goes during a drag still ends it.
    cancelTracking();
}

void Slider::keyDown(const Event& event)
{
    const int direction = event.keyCode == KeyCode::rightArrow || event.keyCode == KeyCode::upArrow    ? 1
                          : event.keyCode == KeyCode::leftArrow || event.keyCode == KeyCode::downArrow ? -1
                                                                                                       : 0;
    if (direction == 0 || !isEnabled() || tracking_) {
        Control::keyDown(event);
        return;
    }
    const double before = doubleValue();
    setDoubleValue(before + direction * (maxValue() - minValue()) / 20);
    if (doubleValue() != before)
        sendAction();
}

std::string Slider::accessibilityValue() const
{
    std::ostringstream text;
    text << doubleValue();
    return text.str();
}

SliderCell* Slider::sliderCell() const { return dynamic_cast<SliderCell*>(&cell()); }

double Slider::minValue() const { return sliderCell() ? sliderCell()->minValue() : 0; }

void Slider::setMinValue(double value)
{
    if (SliderCell* slider = sliderCell()) {
        slider->setMinValue(value);
        setNeedsDisplay();
    }
}

double Slider::maxValue() const { return sliderCell() ? sliderCell()->maxValue() : 1; }

void Slider::setMaxValue(double value)
{
    if (SliderCell* slider = sliderCell()) {
        slider->setMaxValue(value);
        setNeedsDisplay();
    }
}

void Slider::draw(const Rect&)
{
    if (SliderCell* slider = sliderCell())
        slider->draw(bounds(), isFlipped());
}

Point Slider::pointOf(const Event& event) const { return convertFrom(event.locationInWindow, nullptr); }

void Slider::mouseDown(const Event& event)
{
    SliderCell* slider = sliderCell();
    if (!isEnabled() || !slider || tracking_)
        return;
    tracking_ = true;
    lastPoint_ = pointOf(event);
    valueAtStart_ = doubleValue();
    const bool goesOn = slider->startTracking(lastPoint_, *this);
    setNeedsDisplay();
    if (isContinuous() && doubleValue() != valueAtStart_)
        sendAction();
    if (!goesOn)
        finishTracking(lastPoint_, false);
}

void Slider::mouseDragged(const Event& event)
{
    SliderCell* slider = sliderCell();
    if (!tracking_ || !slider)
        return;
    const Point point = pointOf(event);
    const double before = doubleValue();
    const bool goesOn = slider->continueTracking(lastPoint_, point, *this);
    lastPoint_ = point;
    setNeedsDisplay();
    if (isContinuous() && doubleValue() != before)
        sendAction();
    if (!goesOn)
        finishTracking(point, false);
}

void Slider::mouseUp(const Event& event)
{
    if (tracking_)
        finishTracking(pointOf(event), true);
}

void Slider::finishTracking(Point point, bool mouseIsUp)
{
    if (!tracking_)
        return;
    tracking_ = false;
    if (SliderCell* slider = sliderCell())
        slider->stopTracking(lastPoint_, point, *this, mouseIsUp);
    setNeedsDisplay();
    if (mouseIsUp && !isContinuous() && doubleValue() != valueAtStart_)
        sendAction();
}

void Slider::cancelTracking() { finishTracking(lastPoint_, false); }

void Slider::setEnabled(bool enabled)
{
    if (!enabled)
        cancelTracking();
    Control::setEnabled(enabled);
}

void Slider::setCell(std::shared_ptr<Cell> cell)
{
    cancelTracking();
    Control::setCell(std::move(cell));
}

void Slider::viewWillMoveToWindow(Window* window)
{
    if (window != this->window())
        cancelTracking();
    Control::viewWillMoveToWindow(window);
}

void Slider::viewDidHide()
{
    cancelTracking();
    Control::viewDidHide();
}

void Slider::mouseTrackingCancelled()
{
    cancelTracking();
    Control::mouseTrackingCancelled();
}

} // namespace Kit
