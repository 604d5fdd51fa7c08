#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

namespace Kit {

class TableView;

// The strip of column titles above a table, placed by the table's scroll view.
class AERLO_KIT_EXPORT TableHeaderView : public View {
public:
    static constexpr double defaultHeight = 28;

    explicit TableHeaderView(const Rect& frame = {0, 0, 0, defaultHeight});

    TableView* tableView() const { return tableView_; }
    void setTableView(TableView* tableView);

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect) override;

private:
    TableView* tableView_ = nullptr;
};

} // namespace Kit
