#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/View.h"

namespace Kit {

// A bar (determinate: filled to the value's fraction of its range) or a spinner. Animating a spinner turns
// its layer on the media clock; stopping ends the turn. A stopped spinner that is not displayed when stopped
// is hidden.
class AERLO_KIT_EXPORT ProgressIndicator : public View {
public:
    enum class Style { bar = 0, spinning = 1 };
    static constexpr const char* animationKey = "progressIndicatorAnimation";

    explicit ProgressIndicator(const Rect& frame = {});

    Style style() const { return style_; }
    void setStyle(Style style);
    double minValue() const { return minValue_; }
    void setMinValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);
    double doubleValue() const { return value_; }
    // Clamped to the range.
    void setDoubleValue(double value);
    // The value's place in the range, 0 … 1 (0 for an empty range).
    double fraction() const;
    bool isIndeterminate() const { return indeterminate_; }
    void setIndeterminate(bool indeterminate);
    bool usesThreadedAnimation() const { return threaded_; }
    void setUsesThreadedAnimation(bool threaded) { threaded_ = threaded; }
    bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
    void setDisplayedWhenStopped(bool displayed);

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return animating_; }

    void draw(const Rect& dirtyRect) override;

private:
    void applyVisibility();

    Style style_ = Style::bar;
    double minValue_ = 0;
    double maxValue_ = 100;
    double value_ = 0;
    bool indeterminate_ = true;
    bool threaded_ = true;
    bool displayedWhenStopped_ = true;
    bool animating_ = false;
};

} // namespace Kit
