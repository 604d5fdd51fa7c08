#include "Platform/Kit/TableHeaderView.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/TableView.h"

namespace Kit {

TableHeaderView::TableHeaderView(const Rect& frame) : View(frame) {}

void TableHeaderView::setTableView(TableView* tableView)
{
    tableView_ = tableView;
    setNeedsDisplay();
}

void TableHeaderView::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const Rect b = bounds();
    context->fillRect({b.x(), b.maxY() - 1, b.width(), 1}, Colour::separatorColor());
    if (!tableView_)
        return;
    const Font font = Font::systemFont(11);
    for (long c = 0; c < tableView_->numberOfColumns(); ++c) {
        const Rect column = tableView_->rectOfColumn(c);
        if (column.width() <= 0)
            continue;
        const double lineHeight = font.lineHeight();
        context->drawText(tableView_->tableColumns()[static_cast<size_t>(c)]->title(),
                          {column.x() + 4, b.midY() - lineHeight / 2, column.width() - 8, lineHeight}, font,
                          Colour::secondaryLabelColor(), TextAlignment::left, true);
        if (c + 1 < tableView_->numberOfColumns())
            context->fillRect({column.maxX() - 1, b.y() + 4, 1, b.height() - 8}, Colour::separatorColor());
    }
}

} // namespace Kit
