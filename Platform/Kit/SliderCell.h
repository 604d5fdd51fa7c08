#pragma once

#include "Platform/Kit/Cell.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

namespace Kit {

// The cell of a horizontal slider: a value in minValue…maxValue (0…1 by default; values are clamped),
// the bar and knob rectangles, their drawing, and the tracking steps a drag goes through. Subclasses
// override the rectangles, the drawing and the tracking hooks.
class AERLO_KIT_EXPORT SliderCell : public Cell {
public:
    static constexpr double knobThickness = 21;

    SliderCell();

    double minValue() const { return minValue_; }
    void setMinValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);
    void setDoubleValue(double value) override;
    bool isVertical() const { return false; }

    // In the control's bounds; `flipped` says whether y runs down.
    virtual Rect barRect(bool flipped) const;
    virtual Rect knobRect(bool flipped) const;
    // The knob's rectangle drawn by drawKnob; the bar is drawn in `rect` (from barRect).
    virtual void drawBar(const Rect& rect, bool flipped);
    virtual void drawKnob(const Rect& knobRect);
    // Draws the bar, then the knob.
    void draw(const Rect& bounds, bool flipped);

    // A drag: start at the press, continue at each move, stop at its end (release or cancellation).
    // Returning false from start or continue ends the drag.
    virtual bool startTracking(Point point, View& controlView);
    virtual bool continueTracking(Point lastPoint, Point currentPoint, View& controlView);
    virtual void stopTracking(Point lastPoint, Point stopPoint, View& controlView, bool mouseIsUp);

    // The value under a point of the control (the knob's centre travels from one end of the bar to the other).
    double valueAt(Point point, const Rect& bounds) const;

private:
    double minValue_ = 0;
    double maxValue_ = 1;
};

} // namespace Kit
