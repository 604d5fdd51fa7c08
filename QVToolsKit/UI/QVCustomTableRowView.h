#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/TableRowView.h"

namespace QVToolsKit {

// A table row view that draws the selected row, and the row under the pointer, as a rounded rectangle
// inset from the row's edges, with one hover colour for light appearances and one for dark ones.
class QVTOOLSKITUI_EXPORT QVCustomTableRowView : public Kit::TableRowView {
public:
    explicit QVCustomTableRowView(const Kit::Rect& frame = {});

    bool mouseInside() const { return mouseInside_; }
    void setMouseInside(bool inside);
    Kit::Colour selectedBackgroundColor() const { return selectedBackgroundColor_; }
    void setSelectedBackgroundColor(Kit::Colour colour);
    Kit::Colour hoverBackgroundColorLight() const { return hoverBackgroundColorLight_; }
    void setHoverBackgroundColorLight(Kit::Colour colour);
    Kit::Colour hoverBackgroundColorDark() const { return hoverBackgroundColorDark_; }
    void setHoverBackgroundColorDark(Kit::Colour colour);
    double rowCornerRadius() const { return rowCornerRadius_; }
    void setRowCornerRadius(double radius);
    bool selectedHasCorner() const { return selectedHasCorner_; }
    void setSelectedHasCorner(bool hasCorner);
    bool hoverEnabled() const { return hoverEnabled_; }
    void setHoverEnabled(bool enabled);
    double selectionOffsetX() const { return selectionOffsetX_; }
    void setSelectionOffsetX(double offset);

    // Always emphasised: setting it passes true on.
    bool isEmphasized() const override { return true; }
    void setEmphasized(bool emphasized) override;

    void updateTrackingAreas() override;
    void mouseEntered(const Kit::Event& event) override;
    void mouseExited(const Kit::Event& event) override;
    void drawSelection(const Kit::Rect& dirtyRect) override;
    void drawBackground(const Kit::Rect& dirtyRect) override;
    void viewDidChangeEffectiveAppearance() override;

private:
    // The hover fill for the view's own appearance: the dark colour when it matches dark aqua.
    Kit::Colour currentHoverColor() const;
    // Fills the row's rounded rectangle: inset by the offset on each side, then by 2.5 all round.
    void fillRow(const Kit::Colour& colour, double radius) const;
    template <class Value>
    void store(Value& field, Value value);

    bool mouseInside_ = false;
    Kit::Colour selectedBackgroundColor_ = Kit::Colour::black().withAlphaComponent(0.35);
    Kit::Colour hoverBackgroundColorLight_ = Kit::Colour::black().withAlphaComponent(0.1);
    Kit::Colour hoverBackgroundColorDark_ = Kit::Colour::whiteColor().withAlphaComponent(0.1);
    double rowCornerRadius_ = 10.0;
    bool selectedHasCorner_ = true;
    bool hoverEnabled_ = true;
    double selectionOffsetX_ = 5.0;
};

} // namespace QVToolsKit
