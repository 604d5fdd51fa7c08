#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/SliderCell.h"

namespace Kit {

// A horizontal slider. A press on it starts a drag through its cell: the value follows the pointer and,
// for a continuous slider (the default), the action is sent once for every step that changes the value;
// otherwise once when the drag ends with a changed value. However a drag ends (release, lost mouse grab,
// the slider disabled or hidden, its window hidden or closed) the cell's stopTracking runs exactly once.
class AERLO_KIT_EXPORT Slider : public Control {
public:
    explicit Slider(const Rect& frame = {});
    ~Slider() override;

    // The cell when it is a slider cell (it is unless a subclass installed another kind).
    SliderCell* sliderCell() const;
    double minValue() const;
    void setMinValue(double value);
    double maxValue() const;
    void setMaxValue(double value);
    bool isTracking() const { return tracking_; }

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect) override;

    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

    void setEnabled(bool enabled) override;
    void setCell(std::shared_ptr<Cell> cell) override;
    void viewWillMoveToWindow(Window* window) override;
    void viewDidHide() override;
    void mouseTrackingCancelled() override;
    // Ends a drag in progress as if the mouse had been lost (stopTracking with mouseIsUp false).
    void cancelTracking();

    // The arrows move the value a twentieth of the range (right and up more, left and down less) and send
    // the action when it changed.
    bool acceptsFirstResponder() const override { return isEnabled(); }
    void keyDown(const Event& event) override;
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::slider; }
    std::string accessibilityValue() const override;

private:
    Point pointOf(const Event& event) const;
    void finishTracking(Point point, bool mouseIsUp);

    bool tracking_ = false;
    Point lastPoint_;
    double valueAtStart_ = 0;
};

} // namespace Kit
