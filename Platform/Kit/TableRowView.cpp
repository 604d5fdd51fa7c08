#include "Platform/Kit/TableRowView.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/TableCellView.h"

namespace Kit {

TableRowView::TableRowView(const Rect& frame) : View(frame) {}

namespace {

void collectTexts(const View& view, std::string& out)
{
    for (const auto& sub : view.subviews()) {
        if (sub->isHidden())
            continue;
        if (sub->accessibilityRole() == AccessibilityRole::staticText) {
            out += (out.empty() ? "" : ", ") + sub->accessibilityLabel();
            continue;
        }
        collectTexts(*sub, out);
    }
}

} // namespace

std::string TableRowView::accessibilityTitle() const
{
    std::string texts;
    collectTexts(*this, texts);
    return texts;
}

void TableRowView::setSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    updateCellBackgroundStyles();
    setNeedsDisplay();
}

void TableRowView::setEmphasized(bool emphasized)
{
    emphasized_ = emphasized;
    updateCellBackgroundStyles();
    setNeedsDisplay();
}

BackgroundStyle TableRowView::interiorBackgroundStyle() const
{
    return selected_ && isEmphasized() && highlightStyle_ != TableViewSelectionHighlightStyle::none
               ? BackgroundStyle::emphasized
               : BackgroundStyle::normal;
}

void TableRowView::didAddSubview(View* subview)
{
    if (auto* cell = dynamic_cast<TableCellView*>(subview))
        cell->setBackgroundStyle(interiorBackgroundStyle());
}

void TableRowView::updateCellBackgroundStyles()
{
    const BackgroundStyle style = interiorBackgroundStyle();
    for (const auto& subview : subviews())
        if (auto* cell = dynamic_cast<TableCellView*>(subview.get()))
            cell->setBackgroundStyle(style);
}

void TableRowView::setSelectionHighlightStyle(TableViewSelectionHighlightStyle style)
{
    highlightStyle_ = style;
    updateCellBackgroundStyles();
    setNeedsDisplay();
}

void TableRowView::draw(const Rect& dirtyRect)
{
    drawBackground(dirtyRect);
    if (selected_)
        drawSelection(dirtyRect);
}

void TableRowView::drawBackground(const Rect&) {}

void TableRowView::drawSelection(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context || highlightStyle_ == TableViewSelectionHighlightStyle::none)
        return;
    context->fillRect(bounds(), isEmphasized() ? Colour::selectedContentBackgroundColor()
                                               : Colour::unemphasizedSelectedContentBackgroundColor());
}

} // namespace Kit
