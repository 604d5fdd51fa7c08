#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/TableColumn.h"
#include "Platform/Kit/TableRowView.h"
#include "Platform/Kit/TableViewDelegate.h"
#include "Platform/Kit/View.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kit {

class TableHeaderView;
class ScrollView;

using IndexSet = std::set<long>;

// A view-based table: one row view per row (from the delegate, the row-view factory or a plain one), with
// one cell view per column from the delegate, laid out top down. Rows follow the data source at each
// reload and at each insertion, removal and move; the selection follows the rows and every change of it
// is reported to the delegate at once.
class AERLO_KIT_EXPORT TableView : public View {
public:
    enum AnimationOptions : unsigned { effectNone = 0, effectFade = 0x1, effectGap = 0x2, slideUp = 0x10, slideDown = 0x20 };
    using ViewFactory = std::function<std::shared_ptr<View>()>;
    using RowViewFactory = std::function<std::shared_ptr<TableRowView>()>;

    explicit TableView(const Rect& frame = {});
    ~TableView() override;

    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(TableViewDataSource* dataSource) { dataSource_ = dataSource; }
    TableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }

    // Columns.
    void addTableColumn(std::shared_ptr<TableColumn> column);
    const std::vector<std::shared_ptr<TableColumn>>& tableColumns() const { return columns_; }
    long numberOfColumns() const { return static_cast<long>(columns_.size()); }
    // −1 when no column has the identifier.
    long columnWithIdentifier(const std::string& identifier) const;

    // Cell views by identifier, and row views.
    void registerView(const std::string& identifier, ViewFactory factory);
    // A new view from the factory registered under the identifier (its identifier set); null when none.
    std::shared_ptr<View> makeView(const std::string& identifier) const;
    void setRowViewFactory(RowViewFactory factory) { rowViewFactory_ = std::move(factory); }

    // Geometry.
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    Size intercellSpacing() const { return intercellSpacing_; }
    void setIntercellSpacing(Size spacing);
    TableViewSelectionHighlightStyle selectionHighlightStyle() const { return highlightStyle_; }
    void setSelectionHighlightStyle(TableViewSelectionHighlightStyle style);
    const std::shared_ptr<TableHeaderView>& headerView() const { return headerView_; }
    void setHeaderView(std::shared_ptr<TableHeaderView> header);
    ScrollView* enclosingScrollView() const;

    // Rows.
    long numberOfRows() const { return static_cast<long>(rows_.size()); }
    void reloadData();
    // Asks the delegate again for the cells of those rows and columns (out-of-range indexes are skipped).
    virtual void reloadData(const IndexSet& rowIndexes, const IndexSet& columnIndexes);
    virtual void beginUpdates();
    virtual void endUpdates();
    // Each index is a position in the table as it is while the rows go in (ascending order); indexes past
    // the end are skipped.
    virtual void insertRows(const IndexSet& indexes, unsigned animation = effectNone);
    // Indexes in the table before the removal; those out of range are skipped.
    virtual void removeRows(const IndexSet& indexes, unsigned animation = effectNone);
    virtual void moveRow(long oldIndex, long newIndex);
    Rect rectOfRow(long row) const;
    Rect rectOfColumn(long column) const;
    // The row under a point of the table's bounds; −1 when none.
    long rowAtPoint(Point point) const;
    // The row of a view inside the table (a cell or a row view or anything in them); −1 otherwise.
    long rowForView(const View& view) const;
    View* viewAt(long column, long row) const;
    TableRowView* rowViewAt(long row) const;

    // Selection.
    long selectedRow() const;
    const IndexSet& selectedRowIndexes() const { return selection_; }
    bool isRowSelected(long row) const { return selection_.count(row) != 0; }
    void selectRowIndexes(const IndexSet& indexes, bool byExtendingSelection);
    void deselectRow(long row);
    void deselectAll();
    bool allowsEmptySelection() const { return allowsEmptySelection_; }
    void setAllowsEmptySelection(bool allows) { allowsEmptySelection_ = allows; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }

    // Sizes the table to its rows (and at least its clip view), then places rows and cells.
    void tile();

    bool isFlipped() const override { return true; }
    void setFrameSize(Size size) override;
    void mouseDown(const Event& event) override;
    // The up and down arrows select the row above or below that the delegate lets be selected.
    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const Event& event) override;
    // Inside a scroll view, the scroll view draws the ring.
    bool showsFocusRing() const override;
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::table; }

private:
    friend class TableColumn;
    struct Row {
        std::shared_ptr<TableRowView> rowView;
        std::vector<std::shared_ptr<View>> cells;
    };

    Row makeRow(long index);
    void fillCells(Row& row, long index, const IndexSet* columns);
    double heightOf(long index);
    void placeRows();
    // Takes back the width the last column was given to fill the table.
    void unfillLastColumn();
    // A column's width was set from outside the table: rows and cells follow it.
    void columnWidthDidChange(TableColumn& column);
    void setSelection(IndexSet selection);
    void applySelectionToRows();

    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<TableColumn>> columns_;
    std::map<std::string, ViewFactory> factories_;
    RowViewFactory rowViewFactory_;
    std::vector<Row> rows_;
    std::vector<double> heights_;
    IndexSet selection_;
    long lastSelected_ = -1;
    double rowHeight_ = 24;
    Size intercellSpacing_ {3, 2};
    TableViewSelectionHighlightStyle highlightStyle_ = TableViewSelectionHighlightStyle::regular;
    std::shared_ptr<TableHeaderView> headerView_;
    bool allowsEmptySelection_ = true;
    bool allowsMultipleSelection_ = false;
    int updateDepth_ = 0;
    bool tiling_ = false;
    TableColumn* filled_ = nullptr;
    double fillExtra_ = 0;
    bool fillingLastColumn_ = false;
};

} // namespace Kit
