#include "QVToolsKit/UI/QVTableViewHelper.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/TableView.h"

#include <string>

namespace QVToolsKit {

void QVTableViewHelper::updateTableViewRow(const std::shared_ptr<Kit::TableView>& tableView, long index,
    bool isInsertion)
{
    std::weak_ptr<Kit::TableView> weak = tableView;
    Foundation::DispatchQueue::main().async([weak, index, isInsertion] {
        const std::shared_ptr<Kit::TableView> table = weak.lock();
        if (!table)
            return;
        table->beginUpdates();
        const long rows = table->numberOfRows();
        if (isInsertion) {
            if (index >= 0 && index <= rows)
                table->insertRows({index}, Kit::TableView::effectGap);
            else
                Foundation::Console::print("无效的插入索引：" + std::to_string(index));
        } else {
            if (index >= 0 && index < rows)
                table->removeRows({index}, Kit::TableView::effectFade);
            else
                Foundation::Console::print("无效的删除索引：" + std::to_string(index));
        }
        table->endUpdates();
    });
}

void QVTableViewHelper::moveRowIfNeeded(Kit::TableView& tableView, long oldIndex, long newIndex)
{
    const long rows = tableView.numberOfRows();
    if (oldIndex < 0 || newIndex < 0 || oldIndex == newIndex || oldIndex >= rows || newIndex >= rows)
        return;
    tableView.beginUpdates();
    tableView.moveRow(oldIndex, newIndex);
    tableView.endUpdates();
}

void QVTableViewHelper::reloadRow(Kit::TableView& tableView, long row)
{
    if (row < 0 || row >= tableView.numberOfRows())
        return;
    Kit::IndexSet columns;
    for (long column = 0; column < tableView.numberOfColumns(); ++column)
        columns.insert(column);
    tableView.reloadData({row}, columns);
}

long QVTableViewHelper::row(const Kit::View& view, const Kit::TableView& tableView)
{
    return tableView.rowAtPoint(tableView.convertFrom(Kit::Point {0, 0}, &view));
}

} // namespace QVToolsKit
