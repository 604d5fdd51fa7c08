#include "Platform/Kit/TableColumn.h"

#include <algorithm>

namespace Kit {

void TableColumn::setWidth(double width)
{
    width_ = std::clamp(width, minWidth_, std::max(minWidth_, maxWidth_));
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
