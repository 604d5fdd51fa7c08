#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/KitExport.h"

#include <string>
#include <vector>

namespace Kit {

// Segments side by side, one selected (select-one tracking). A click on a segment (press and release on the
// same enabled segment) selects it and sends the action; selecting by code sends nothing.
class AERLO_KIT_EXPORT SegmentedControl : public Control {
public:
    enum class TrackingMode { selectOne = 0, selectAny = 1, momentary = 2 };

    explicit SegmentedControl(const Rect& frame = {});
    static std::shared_ptr<SegmentedControl> withLabels(const std::vector<std::string>& labels, Action action = {});

    long segmentCount() const { return static_cast<long>(segments_.size()); }
    // Fewer segments drop the last ones (and a selection among them).
    void setSegmentCount(long count);
    std::string label(long segment) const;
    void setLabel(std::string label, long segment);
    // 0: the segments share the width evenly.
    double width(long segment) const;
    void setWidth(double width, long segment);
    bool isEnabled(long segment) const;
    void setEnabled(bool enabled, long segment);
    using Control::isEnabled;
    using Control::setEnabled;
    TrackingMode trackingMode() const { return trackingMode_; }
    void setTrackingMode(TrackingMode mode) { trackingMode_ = mode; }

    // −1 when none is selected.
    long selectedSegment() const { return selected_; }
    // An index out of range selects none.
    void setSelectedSegment(long segment);
    bool isSelected(long segment) const { return segment == selected_ && segment >= 0; }

    // The segment's rectangle in the bounds; the segment under a point (−1 when none).
    Rect rectOfSegment(long segment) const;
    long segmentAt(Point point) const;

    void draw(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseUp(const Event& event) override;
    void mouseTrackingCancelled() override;

    // The left and right arrows select the enabled segment beside the selected one and send the action.
    bool acceptsFirstResponder() const override { return isEnabled(); }
    void keyDown(const Event& event) override;
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::segmentedControl; }
    std::string accessibilityValue() const override { return label(selected_); }

private:
    struct Segment {
        std::string label;
        double width = 0;
        bool enabled = true;
    };

    std::vector<Segment> segments_;
    long selected_ = -1;
    long pressed_ = -1;
    TrackingMode trackingMode_ = TrackingMode::selectOne;
};

} // namespace Kit
