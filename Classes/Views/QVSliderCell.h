#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/SliderCell.h"

namespace Aerlo {

// The fan slider's cell: a rounded track, the part filled up to the value, and a round knob with a soft
// shadow behind it that shows only while the manual fan mode is stored.
class QVSliderCell : public Kit::SliderCell {
public:
    QVSliderCell();

    Kit::Colour knobFillColor = Kit::Colour::white(1.0, 1.0);
    Kit::Colour knobFillColorTracking = Kit::Colour::white(0.8, 1.0);
    Kit::Colour knobStrokeColor = Kit::Colour::systemGray().withAlphaComponent(0.5);
    Kit::Colour knobShadowColor = Kit::Colour::white(0.0, 0.03);
    Kit::Colour barFillColor = Kit::Colour::systemGray().withAlphaComponent(0.2);
    Kit::Colour barStrokeColor = Kit::Colour::systemGray().withAlphaComponent(0.5);
    Kit::Colour barFilledFillColor = Kit::Colour::white(1.0, 1.0);
    bool isTracking = false;

    // The knob's opacity at value v: 0 up to 0.08, 1 from 0.28 on.
    static float knobFade(float v);
    // The value as drawn: within the range (a value that is not a number counts as the minimum), as a fraction.
    float drawnFraction() const;

    Kit::Rect barRect(bool flipped) const override;
    bool startTracking(Kit::Point point, Kit::View& controlView) override;
    bool continueTracking(Kit::Point lastPoint, Kit::Point currentPoint, Kit::View& controlView) override;
    void stopTracking(Kit::Point lastPoint, Kit::Point stopPoint, Kit::View& controlView, bool mouseIsUp) override;
    void drawKnob(const Kit::Rect& knobRect) override;
    void drawBar(const Kit::Rect& rect, bool flipped) override;

private:
    static bool redisplaysWhileTracking();
};

} // namespace Aerlo
