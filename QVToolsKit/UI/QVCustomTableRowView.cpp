#include "QVToolsKit/UI/QVCustomTableRowView.h"

#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/TrackingArea.h"

#include <memory>
#include <string>
#include <vector>

namespace QVToolsKit {

QVCustomTableRowView::QVCustomTableRowView(const Kit::Rect& frame) : Kit::TableRowView(frame) {}

template <class Value>
void QVCustomTableRowView::store(Value& field, Value value)
{
    field = std::move(value);
    setNeedsDisplay();
}

void QVCustomTableRowView::setMouseInside(bool inside) { store(mouseInside_, inside); }
void QVCustomTableRowView::setSelectedBackgroundColor(Kit::Colour colour) { store(selectedBackgroundColor_, std::move(colour)); }
void QVCustomTableRowView::setHoverBackgroundColorLight(Kit::Colour colour) { store(hoverBackgroundColorLight_, std::move(colour)); }
void QVCustomTableRowView::setHoverBackgroundColorDark(Kit::Colour colour) { store(hoverBackgroundColorDark_, std::move(colour)); }
void QVCustomTableRowView::setRowCornerRadius(double radius) { store(rowCornerRadius_, radius); }
void QVCustomTableRowView::setSelectedHasCorner(bool hasCorner) { store(selectedHasCorner_, hasCorner); }
void QVCustomTableRowView::setHoverEnabled(bool enabled) { store(hoverEnabled_, enabled); }
void QVCustomTableRowView::setSelectionOffsetX(double offset) { store(selectionOffsetX_, offset); }

void QVCustomTableRowView::setEmphasized(bool)
{
    Kit::TableRowView::setEmphasized(true);
}

void QVCustomTableRowView::updateTrackingAreas()
{
    for (const auto& area : std::vector<std::shared_ptr<Kit::TrackingArea>>(trackingAreas()))
        removeTrackingArea(area.get());
    addTrackingArea(std::make_shared<Kit::TrackingArea>(
        bounds(), Kit::TrackingArea::mouseEnteredAndExited | Kit::TrackingArea::activeAlways, this));
}

void QVCustomTableRowView::mouseEntered(const Kit::Event&)
{
    if (hoverEnabled_)
        setMouseInside(true);
}

void QVCustomTableRowView::mouseExited(const Kit::Event&)
{
    if (hoverEnabled_)
        setMouseInside(false);
}

Kit::Colour QVCustomTableRowView::currentHoverColor() const
{
    const auto match = effectiveAppearance().bestMatch(
        {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::aquaName)});
    return match && *match == Kit::Appearance::darkAquaName ? hoverBackgroundColorDark_ : hoverBackgroundColorLight_;
}

void QVCustomTableRowView::fillRow(const Kit::Colour& colour, double radius) const
{
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    if (!context)
        return;
    const Kit::Rect row {selectionOffsetX_, 0, bounds().width() - 2 * selectionOffsetX_, bounds().height()};
    context->fillPath(Kit::BezierPath::roundedRect(row.insetBy(2.5, 2.5), radius, radius), colour);
}

void QVCustomTableRowView::drawSelection(const Kit::Rect&)
{
    if (selectionHighlightStyle() == Kit::TableViewSelectionHighlightStyle::none)
        return;
    fillRow(selectedBackgroundColor_, selectedHasCorner_ ? rowCornerRadius_ : 0);
}

void QVCustomTableRowView::drawBackground(const Kit::Rect&)
{
    if (!hoverEnabled_ || !mouseInside_ || isSelected())
        return;
    fillRow(currentHoverColor(), rowCornerRadius_);
}

void QVCustomTableRowView::viewDidChangeEffectiveAppearance()
{
    Kit::TableRowView::viewDidChangeEffectiveAppearance();
    if (hoverEnabled_ && mouseInside_ && !isSelected())
        setNeedsDisplay();
}

} // namespace QVToolsKit
