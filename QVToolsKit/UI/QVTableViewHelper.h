#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include <memory>

namespace Kit {
class TableView;
class View;
}

namespace QVToolsKit {

// One-row changes of a table view.
class QVTOOLSKITUI_EXPORT QVTableViewHelper {
public:
    // Inserts or removes the row at `index` later, on the main queue (callable from any thread). The queued
    // work holds the table weakly and does nothing once it is gone. An index the table cannot take changes
    // nothing and prints "无效的插入索引：" or "无效的删除索引：" followed by the index.
    static void updateTableViewRow(const std::shared_ptr<Kit::TableView>& tableView, long index, bool isInsertion);
    // Moves a row when both indexes are rows of the table and differ.
    static void moveRowIfNeeded(Kit::TableView& tableView, long oldIndex, long newIndex);
    // Reloads every column of the row when it is a row of the table.
    static void reloadRow(Kit::TableView& tableView, long row);
    // The row at the view's origin in the table; −1 when there is none.
    static long row(const Kit::View& view, const Kit::TableView& tableView);
};

} // namespace QVToolsKit
