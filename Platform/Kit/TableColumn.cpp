#include "Platform/Kit/TableColumn.h"

#include "Platform/Kit/TableView.h"

#include <algorithm>

namespace Kit {

void TableColumn::setWidth(double width)
{
    const double clamped = std::clamp(width, minWidth_, std::max(minWidth_, maxWidth_));
    if (clamped == width_)
        return;
    width_ = clamped;
    if (tableView_)
        tableView_->columnWidthDidChange(*this);
}

void TableColumn::setMinWidth(double width)
{
    minWidth_ = width;
    setWidth(width_);
}

void TableColumn::setMaxWidth(double width)
{
    maxWidth_ = width;
    setWidth(width_);
}

} // namespace Kit
