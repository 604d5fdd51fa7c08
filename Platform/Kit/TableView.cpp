#include "Platform/Kit/TableView.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/KeyCode.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/TableHeaderView.h"

#include <algorithm>
#include <numeric>

namespace Kit {

TableView::TableView(const Rect& frame) : View(frame) {}

TableView::~TableView()
{
    for (const auto& column : columns_)
        column->tableView_ = nullptr;
    if (headerView_)
        headerView_->setTableView(nullptr);
}

void TableView::addTableColumn(std::shared_ptr<TableColumn> column)
{
    if (!column)
        return;
    column->tableView_ = this;
    columns_.push_back(std::move(column));
    for (size_t i = 0; i < rows_.size(); ++i)
        rows_[i].cells.resize(columns_.size());
    tile();
}

long TableView::columnWithIdentifier(const std::string& identifier) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i]->identifier() == identifier)
            return static_cast<long>(i);
    return -1;
}

void TableView::registerView(const std::string& identifier, ViewFactory factory)
{
    factories_[identifier] = std::move(factory);
}

std::shared_ptr<View> TableView::makeView(const std::string& identifier) const
{
    const auto found = factories_.find(identifier);
    if (found == factories_.end() || !found->second)
        return nullptr;
    std::shared_ptr<View> view = found->second();
    if (view)
        view->setIdentifier(identifier);
    return view;
}

void TableView::setRowHeight(double height)
{
    rowHeight_ = height;
    for (size_t i = 0; i < rows_.size(); ++i)
        heights_[i] = heightOf(static_cast<long>(i));
    tile();
}

void TableView::setIntercellSpacing(Size spacing)
{
    intercellSpacing_ = spacing;
    tile();
}

void TableView::setSelectionHighlightStyle(TableViewSelectionHighlightStyle style)
{
    highlightStyle_ = style;
    for (const Row& row : rows_)
        row.rowView->setSelectionHighlightStyle(style);
}

void TableView::setHeaderView(std::shared_ptr<TableHeaderView> header)
{
    if (headerView_)
        headerView_->setTableView(nullptr);
    headerView_ = std::move(header);
    if (headerView_)
        headerView_->setTableView(this);
    if (ScrollView* scrollView = enclosingScrollView())
        scrollView->tile();
}

ScrollView* TableView::enclosingScrollView() const
{
    for (View* view = superview(); view; view = view->superview())
        if (auto* scrollView = dynamic_cast<ScrollView*>(view))
            return scrollView;
    return nullptr;
}

double TableView::heightOf(long index)
{
    std::optional<double> height;
    if (delegate_)
        height = delegate_->heightOfRow(*this, index);
    return std::max(0.0, height.value_or(rowHeight_));
}

TableView::Row TableView::makeRow(long index)
{
    Row row;
    if (delegate_)
        row.rowView = delegate_->rowViewFor(*this, index);
    if (!row.rowView && rowViewFactory_)
        row.rowView = rowViewFactory_();
    if (!row.rowView)
        row.rowView = std::make_shared<TableRowView>();
    row.rowView->setSelectionHighlightStyle(highlightStyle_);
    row.cells.resize(columns_.size());
    fillCells(row, index, nullptr);
    return row;
}

void TableView::fillCells(Row& row, long index, const IndexSet* columns)
{
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (columns && !columns->count(static_cast<long>(c)))
            continue;
        if (row.cells[c])
            row.cells[c]->removeFromSuperview();
        row.cells[c] = delegate_ ? delegate_->viewFor(*this, columns_[c].get(), index) : nullptr;
        if (row.cells[c])
            row.rowView->addSubview(row.cells[c]);
    }
}

void TableView::reloadData()
{
    for (const Row& row : rows_)
        row.rowView->removeFromSuperview();
    rows_.clear();
    heights_.clear();
    const long count = dataSource_ ? std::max(0L, dataSource_->numberOfRows(*this)) : 0;
    for (long i = 0; i < count; ++i) {
        heights_.push_back(heightOf(i));
        rows_.push_back(makeRow(i));
        addSubview(rows_.back().rowView);
    }
    IndexSet kept;
    for (long row : selection_)
        if (row < count)
            kept.insert(row);
    tile();
    applySelectionToRows();
    setSelection(std::move(kept));
}

void TableView::reloadData(const IndexSet& rowIndexes, const IndexSet& columnIndexes)
{
    for (long row : rowIndexes)
        if (row >= 0 && row < numberOfRows())
            fillCells(rows_[static_cast<size_t>(row)], row, &columnIndexes);
    placeRows();
}

void TableView::beginUpdates()
{
    ++updateDepth_;
}

void TableView::endUpdates()
{
    if (updateDepth_ > 0)
        --updateDepth_;
    tile();
}

void TableView::insertRows(const IndexSet& indexes, unsigned)
{
    for (long index : indexes) {
        if (index < 0 || index > numberOfRows())
            continue;
        IndexSet shifted;
        for (long row : selection_)
            shifted.insert(row >= index ? row + 1 : row);
        selection_ = std::move(shifted);
        if (lastSelected_ >= index)
            ++lastSelected_;
        heights_.insert(heights_.begin() + index, heightOf(index));
        rows_.insert(rows_.begin() + index, makeRow(index));
        addSubview(rows_[static_cast<size_t>(index)].rowView);
    }
    tile();
}

void TableView::removeRows(const IndexSet& indexes, unsigned)
{
    IndexSet selection = selection_;
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        const long index = *it;
        if (index < 0 || index >= numberOfRows())
            continue;
        rows_[static_cast<size_t>(index)].rowView->removeFromSuperview();
        rows_.erase(rows_.begin() + index);
        heights_.erase(heights_.begin() + index);
        IndexSet shifted;
        for (long row : selection)
            if (row != index)
                shifted.insert(row > index ? row - 1 : row);
        selection = std::move(shifted);
        if (lastSelected_ == index)
            lastSelected_ = -1;
        else if (lastSelected_ > index)
            --lastSelected_;
    }
    tile();
    // Rows that moved up keep their selection quietly; a selected row that went changes the selection.
    const bool lostSelectedRow = selection.size() != selection_.size();
    selection_ = selection;
    applySelectionToRows();
    if (lostSelectedRow && delegate_)
        delegate_->selectionDidChange(*this);
}

void TableView::moveRow(long oldIndex, long newIndex)
{
    const long count = numberOfRows();
    if (oldIndex < 0 || newIndex < 0 || oldIndex >= count || newIndex >= count || oldIndex == newIndex)
        return;
    Row row = std::move(rows_[static_cast<size_t>(oldIndex)]);
    const double height = heights_[static_cast<size_t>(oldIndex)];
    rows_.erase(rows_.begin() + oldIndex);
    heights_.erase(heights_.begin() + oldIndex);
    rows_.insert(rows_.begin() + newIndex, std::move(row));
    heights_.insert(heights_.begin() + newIndex, height);
    const auto remap = [&](long index) {
        if (index == oldIndex)
            return newIndex;
        if (oldIndex < newIndex && index > oldIndex && index <= newIndex)
            return index - 1;
        if (newIndex < oldIndex && index >= newIndex && index < oldIndex)
            return index + 1;
        return index;
    };
    IndexSet moved;
    for (long index : selection_)
        moved.insert(remap(index));
    selection_ = std::move(moved);
    if (lastSelected_ >= 0)
        lastSelected_ = remap(lastSelected_);
    placeRows();
}

Rect TableView::rectOfRow(long row) const
{
    if (row < 0 || row >= numberOfRows())
        return {};
    double y = 0;
    for (long i = 0; i < row; ++i)
        y += heights_[static_cast<size_t>(i)] + intercellSpacing_.height;
    return {0, y, bounds().width(), heights_[static_cast<size_t>(row)] + intercellSpacing_.height};
}

Rect TableView::rectOfColumn(long column) const
{
    if (column < 0 || column >= numberOfColumns())
        return {};
    double x = 0;
    for (long i = 0; i < column; ++i)
        if (!columns_[static_cast<size_t>(i)]->isHidden())
            x += columns_[static_cast<size_t>(i)]->width() + intercellSpacing_.width;
    const TableColumn& c = *columns_[static_cast<size_t>(column)];
    return {x, 0, c.isHidden() ? 0 : c.width() + intercellSpacing_.width, bounds().height()};
}

long TableView::rowAtPoint(Point point) const
{
    if (point.x < bounds().minX() || point.x >= bounds().maxX())
        return -1;
    double y = 0;
    for (long i = 0; i < numberOfRows(); ++i) {
        const double height = heights_[static_cast<size_t>(i)] + intercellSpacing_.height;
        if (point.y >= y && point.y < y + height)
            return i;
        y += height;
    }
    return -1;
}

long TableView::rowForView(const View& view) const
{
    const View* child = &view;
    while (child && child->superview() != this)
        child = child->superview();
    if (!child)
        return -1;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].rowView.get() == child)
            return static_cast<long>(i);
    return -1;
}

View* TableView::viewAt(long column, long row) const
{
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= numberOfColumns())
        return nullptr;
    return rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)].get();
}

TableRowView* TableView::rowViewAt(long row) const
{
    if (row < 0 || row >= numberOfRows())
        return nullptr;
    return rows_[static_cast<size_t>(row)].rowView.get();
}

void TableView::setFrameSize(Size size)
{
    View::setFrameSize(size);
    if (!tiling_)
        placeRows();
}

void TableView::unfillLastColumn()
{
    fillingLastColumn_ = true;
    if (filled_)
        filled_->setWidth(filled_->width() - fillExtra_);
    fillingLastColumn_ = false;
    filled_ = nullptr;
    fillExtra_ = 0;
}

void TableView::columnWidthDidChange(TableColumn& column)
{
    if (fillingLastColumn_)
        return;
    // A width set on the filled column replaces the filled one.
    if (&column == filled_) {
        filled_ = nullptr;
        fillExtra_ = 0;
    }
    tile();
}

void TableView::tile()
{
    unfillLastColumn();
    tiling_ = true;
    double height = 0;
    for (double rowHeight : heights_)
        height += rowHeight + intercellSpacing_.height;
    double width = 0;
    for (const auto& column : columns_)
        if (!column->isHidden())
            width += column->width() + intercellSpacing_.width;
    Size size = frame().size;
    size.width = std::max(size.width, width);
    if (superview() && dynamic_cast<ClipView*>(superview())) {
        size.width = std::max(width, superview()->bounds().width());
        size.height = std::max(height, superview()->bounds().height());
    } else {
        size.height = height;
    }
    if (size != frame().size)
        View::setFrameSize(size);
    tiling_ = false;
    placeRows();
    if (headerView_)
        headerView_->setNeedsDisplay();
}

void TableView::placeRows()
{
    // The last visible column takes the width the others leave.
    unfillLastColumn();
    double used = 0;
    TableColumn* last = nullptr;
    for (const auto& column : columns_)
        if (!column->isHidden()) {
            used += column->width() + intercellSpacing_.width;
            last = column.get();
        }
    if (last && used < bounds().width()) {
        const double before = last->width();
        fillingLastColumn_ = true;
        last->setWidth(before + bounds().width() - used);
        fillingLastColumn_ = false;
        filled_ = last;
        fillExtra_ = last->width() - before;
    }

    double y = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const double height = heights_[i];
        Row& row = rows_[i];
        row.rowView->setFrame({0, y, bounds().width(), height + intercellSpacing_.height});
        for (size_t c = 0; c < columns_.size(); ++c) {
            if (!row.cells[c])
                continue;
            const Rect column = rectOfColumn(static_cast<long>(c));
            row.cells[c]->setFrame({column.x() + intercellSpacing_.width / 2, intercellSpacing_.height / 2,
                                    columns_[c]->width(), height});
            row.cells[c]->setHidden(columns_[c]->isHidden());
        }
        y += height + intercellSpacing_.height;
    }
}

long TableView::selectedRow() const
{
    if (selection_.empty())
        return -1;
    if (selection_.count(lastSelected_))
        return lastSelected_;
    return *selection_.rbegin();
}

void TableView::selectRowIndexes(const IndexSet& indexes, bool byExtendingSelection)
{
    IndexSet valid;
    for (long index : indexes)
        if (index >= 0 && index < numberOfRows())
            valid.insert(index);
    IndexSet selection = byExtendingSelection ? selection_ : IndexSet();
    selection.insert(valid.begin(), valid.end());
    if (!allowsMultipleSelection_ && selection.size() > 1)
        selection = valid.empty() ? IndexSet {*selection_.begin()} : IndexSet {*valid.rbegin()};
    if (selection.empty() && !allowsEmptySelection_ && !selection_.empty())
        return;
    if (!valid.empty())
        lastSelected_ = *valid.rbegin();
    setSelection(std::move(selection));
}

void TableView::deselectRow(long row)
{
    if (!selection_.count(row) || (selection_.size() == 1 && !allowsEmptySelection_))
        return;
    IndexSet selection = selection_;
    selection.erase(row);
    setSelection(std::move(selection));
}

void TableView::deselectAll()
{
    if (!allowsEmptySelection_)
        return;
    setSelection({});
}

void TableView::setSelection(IndexSet selection)
{
    if (selection == selection_)
        return;
    selection_ = std::move(selection);
    applySelectionToRows();
    if (delegate_)
        delegate_->selectionDidChange(*this);
}

void TableView::applySelectionToRows()
{
    for (size_t i = 0; i < rows_.size(); ++i)
        rows_[i].rowView->setSelected(selection_.count(static_cast<long>(i)) != 0);
}

void TableView::keyDown(const Event& event)
{
    const int step = event.keyCode == KeyCode::upArrow ? -1 : event.keyCode == KeyCode::downArrow ? 1 : 0;
    if (step == 0 || rows_.empty()) {
        View::keyDown(event);
        return;
    }
    const long from = selectedRow();
    for (long row = from < 0 ? (step > 0 ? 0 : numberOfRows() - 1) : from + step; row >= 0 && row < numberOfRows();
         row += step)
        if (!delegate_ || delegate_->shouldSelectRow(*this, row)) {
            selectRowIndexes({row}, false);
            return;
        }
}

bool TableView::showsFocusRing() const { return !enclosingScrollView() && View::showsFocusRing(); }

void TableView::mouseDown(const Event& event)
{
    const Point point = convertFrom(event.locationInWindow, nullptr);
    const long row = rowAtPoint(point);
    if (row < 0) {
        deselectAll();
        return;
    }
    if (delegate_ && !delegate_->shouldSelectRow(*this, row))
        return;
    const bool extending = allowsMultipleSelection_ && (event.modifierFlags & Event::command);
    if (extending && isRowSelected(row))
        deselectRow(row);
    else
        selectRowIndexes({row}, extending);
}

} // namespace Kit
