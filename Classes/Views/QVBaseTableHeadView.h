#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/TableHeaderView.h"

namespace Aerlo {

// The tables' header. The platform header's private blur view does not exist here, so there is nothing
// to restyle on older systems and the header draws as the base one.
class QVBaseTableHeadView : public Kit::TableHeaderView {
public:
    explicit QVBaseTableHeadView(const Kit::Rect& frame = {0, 0, 0, defaultHeight}) : Kit::TableHeaderView(frame) {}
    explicit QVBaseTableHeadView(const Kit::Coder& coder) : Kit::TableHeaderView(coder.frame) {}
    void awakeFromNib() {}

    void viewWillDraw() override { Kit::TableHeaderView::viewWillDraw(); }
};

} // namespace Aerlo
