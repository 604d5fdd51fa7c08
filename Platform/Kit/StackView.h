#pragma once

#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

#include <memory>
#include <vector>

namespace Kit {

// Arranged views in a row or a column, with spacing between them. A column runs from the top down; each
// view keeps its height and takes the stack's width (inside the edge insets). A row keeps each view's width
// (a text field's fitting width) and gives the first view what is left (fill and fill proportionally),
// each view the stack's height.
class AERLO_KIT_EXPORT StackView : public View {
public:
    enum class Orientation { horizontal = 0, vertical = 1 };
    enum class Distribution {
        gravityAreas = -1,
        fill = 0,
        fillEqually = 1,
        fillProportionally = 2,
        equalSpacing = 3,
        equalCentering = 4
    };

    explicit StackView(const Rect& frame = {});
    static std::shared_ptr<StackView> withViews(const std::vector<std::shared_ptr<View>>& views);

    Orientation orientation() const { return orientation_; }
    void setOrientation(Orientation orientation);
    double spacing() const { return spacing_; }
    void setSpacing(double spacing);
    Distribution distribution() const { return distribution_; }
    void setDistribution(Distribution distribution);
    EdgeInsets edgeInsets() const { return insets_; }
    void setEdgeInsets(const EdgeInsets& insets);

    const std::vector<std::shared_ptr<View>>& arrangedSubviews() const { return arranged_; }
    void addArrangedSubview(std::shared_ptr<View> view);
    void insertArrangedSubview(std::shared_ptr<View> view, long index);
    // Stops arranging the view; it stays a subview (as the platform does).
    void removeArrangedSubview(const View& view);

    // The size the arranged views need along the stack's axis (insets and spacing included).
    double fittingLength() const;

    void layout() override;
    void resizeSubviews(Size oldSize) override;

private:
    // A view's own length along the axis: a text field's fitting width in a row, else its frame's.
    double lengthOf(const View& view) const;

    Orientation orientation_ = Orientation::horizontal;
    double spacing_ = 8;
    Distribution distribution_ = Distribution::fill;
    EdgeInsets insets_;
    std::vector<std::shared_ptr<View>> arranged_;
};

} // namespace Kit
