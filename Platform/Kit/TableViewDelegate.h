#pragma once

#include "Platform/Kit/KitExport.h"

#include <memory>
#include <optional>

namespace Kit {

class TableColumn;
class TableRowView;
class TableView;
class View;

// Where a table view's rows come from.
class AERLO_KIT_EXPORT TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual long numberOfRows(TableView& tableView) = 0;
};

// How a table view's rows look and what they allow. Every answer is optional.
class AERLO_KIT_EXPORT TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    // The cell view of a column in a row (the table's makeView gives registered ones).
    virtual std::shared_ptr<View> viewFor(TableView&, TableColumn*, long) { return nullptr; }
    // The row view of a row; none: the table's row-view factory, else a plain row view.
    virtual std::shared_ptr<TableRowView> rowViewFor(TableView&, long) { return nullptr; }
    // A row's height; none: the table's row height.
    virtual std::optional<double> heightOfRow(TableView&, long) { return std::nullopt; }
    virtual bool shouldSelectRow(TableView&, long) { return true; }
    virtual bool shouldEdit(TableView&, TableColumn*, long) { return true; }
    // After every change of the selection, by the user or by code, before the change call returns.
    virtual void selectionDidChange(TableView&) {}
};

} // namespace Kit
