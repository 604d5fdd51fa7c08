#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/TableCellView.h"
#include "Platform/Kit/TableHeaderView.h"
#include "Platform/Kit/TableView.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

// Rows of names; cells from the table's registered factory; row heights from a table.
struct Rows : TableViewDataSource, TableViewDelegate {
    long numberOfRows(TableView&) override { return static_cast<long>(names.size()); }
    std::shared_ptr<View> viewFor(TableView& table, TableColumn* column, long row) override
    {
        ++cellRequests;
        auto view = std::dynamic_pointer_cast<TableCellView>(table.makeView(column->identifier()));
        if (view && view->textField())
            view->textField()->setStringValue(names[static_cast<size_t>(row)] + "/" + column->identifier());
        return view;
    }
    std::optional<double> heightOfRow(TableView&, long row) override
    {
        return row == 1 && tallSecondRow ? std::optional<double>(40) : std::nullopt;
    }
    bool shouldSelectRow(TableView&, long row) override { return row != refused; }
    void selectionDidChange(TableView& table) override { selections.push_back(table.selectedRow()); }

    std::vector<std::string> names {"CPU", "GPU", "SSD", "Battery"};
    bool tallSecondRow = false;
    long refused = -1;
    int cellRequests = 0;
    std::vector<long> selections;
};

class TableViewTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        table_ = std::make_shared<TableView>(Rect {0, 0, 200, 0});
        for (const char* id : {"name", "value"}) {
            table_->addTableColumn(std::make_shared<TableColumn>(id, 90));
            table_->registerView(id, [] { return TableCellView::withImageAndText({0, 0, 90, 24}); });
        }
        table_->setDataSource(&rows_);
        table_->setDelegate(&rows_);
        table_->setRowHeight(24);
        table_->setIntercellSpacing({0, 4});
        table_->reloadData();
    }

    std::string textAt(long column, long row) const
    {
        auto* cell = dynamic_cast<TableCellView*>(table_->viewAt(column, row));
        return cell && cell->textField() ? cell->textField()->stringValue() : "";
    }

    Rows rows_;
    std::shared_ptr<TableView> table_;
};

} // namespace

TEST_F(TableViewTest, RowsAndCellsFollowTheDataSourceTopDown)
{
    ASSERT_EQ(table_->numberOfRows(), 4);
    EXPECT_EQ(rows_.cellRequests, 8);
    EXPECT_EQ(textAt(0, 2), "SSD/name");
    EXPECT_EQ(textAt(1, 3), "Battery/value");
    EXPECT_EQ(table_->viewAt(2, 0), nullptr);
    EXPECT_EQ(table_->viewAt(0, 4), nullptr);
    EXPECT_EQ(table_->frame().height(), 4 * 28);
    EXPECT_EQ(table_->rowViewAt(0)->frame(), (Rect {0, 0, 200, 28}));
    EXPECT_EQ(table_->rowViewAt(3)->frame(), (Rect {0, 84, 200, 28}));
    // The last column takes the width the others leave; cells sit in their columns, half the spacing in.
    EXPECT_EQ(table_->tableColumns()[1]->width(), 110);
    EXPECT_EQ(table_->viewAt(1, 0)->frame(), (Rect {90, 2, 110, 24}));
    EXPECT_EQ(table_->viewAt(1, 0)->identifier(), "value");

    rows_.tallSecondRow = true;
    rows_.names.pop_back();
    table_->reloadData();
    EXPECT_EQ(table_->numberOfRows(), 3);
    EXPECT_EQ(table_->rectOfRow(1), (Rect {0, 28, 200, 44}));
    EXPECT_EQ(table_->rowAtPoint({10, 71}), 1);
    EXPECT_EQ(table_->rowAtPoint({10, 72}), 2);
    EXPECT_EQ(table_->rowAtPoint({10, 500}), -1);
    EXPECT_EQ(table_->rowAtPoint({-1, 10}), -1);
}

TEST_F(TableViewTest, ANewColumnWidthMovesTheCellsAtOnce)
{
    // The filled last column gives back its extra width; the table widens to hold what is set.
    table_->tableColumns()[0]->setWidth(120);
    EXPECT_EQ(table_->viewAt(0, 0)->frame(), (Rect {0, 2, 120, 24}));
    EXPECT_EQ(table_->viewAt(1, 0)->frame(), (Rect {120, 2, 90, 24}));
    EXPECT_EQ(table_->frame().width(), 210);
    // A width set on the filled column holds.
    table_->tableColumns()[1]->setWidth(300);
    EXPECT_EQ(table_->tableColumns()[1]->width(), 300);
    EXPECT_EQ(table_->viewAt(1, 3)->frame(), (Rect {120, 2, 300, 24}));
    EXPECT_EQ(table_->rowViewAt(3)->frame(), (Rect {0, 84, 420, 28}));
}

TEST_F(TableViewTest, RowViewsComeFromTheDelegateThenTheFactory)
{
    struct Marked : TableRowView {};
    int made = 0;
    table_->setRowViewFactory([&] {
        ++made;
        return std::make_shared<Marked>();
    });
    table_->reloadData();
    EXPECT_EQ(made, 4);
    EXPECT_NE(dynamic_cast<Marked*>(table_->rowViewAt(2)), nullptr);
    EXPECT_EQ(table_->rowForView(*table_->viewAt(1, 2)), 2);
    EXPECT_EQ(table_->rowForView(*table_->rowViewAt(3)), 3);
    EXPECT_EQ(table_->rowForView(*table_), -1);
    View stranger;
    EXPECT_EQ(table_->rowForView(stranger), -1);
}

TEST_F(TableViewTest, ClicksAndCodeSelectRowsAndTellTheDelegateAtOnce)
{
    Window window({0, 0, 200, 112}, Window::borderless);
    window.setContentView(table_);
    EventInjector input(window);
    // Row 2 spans y 56…84 from the top: 28…56 from the bottom of the 112-point window.
    input.click({20, 40});
    EXPECT_EQ(table_->selectedRow(), 2);
    EXPECT_TRUE(table_->rowViewAt(2)->isSelected());
    EXPECT_EQ(rows_.selections, std::vector<long> {2});
    input.click({20, 40}); // the same row again: no change
    EXPECT_EQ(rows_.selections.size(), 1u);

    rows_.refused = 0;
    input.click({20, 100});
    EXPECT_EQ(table_->selectedRow(), 2);

    table_->selectRowIndexes({3}, false);
    EXPECT_EQ(rows_.selections, (std::vector<long> {2, 3}));
    EXPECT_FALSE(table_->rowViewAt(2)->isSelected());
    table_->selectRowIndexes({9}, false); // out of range: nothing is selected
    EXPECT_EQ(table_->selectedRow(), -1);
    EXPECT_EQ(rows_.selections.back(), -1);

    table_->setAllowsEmptySelection(false);
    table_->selectRowIndexes({1}, false);
    table_->deselectAll();
    table_->deselectRow(1);
    EXPECT_EQ(table_->selectedRow(), 1);
}

TEST_F(TableViewTest, InsertionRemovalAndMovesKeepRowsAndSelectionInStep)
{
    table_->selectRowIndexes({2}, false);
    rows_.selections.clear();

    rows_.names.insert(rows_.names.begin(), "Fan");
    table_->beginUpdates();
    table_->insertRows({0}, TableView::effectGap);
    table_->endUpdates();
    EXPECT_EQ(table_->numberOfRows(), 5);
    EXPECT_EQ(textAt(0, 0), "Fan/name");
    EXPECT_EQ(textAt(0, 3), "SSD/name");
    EXPECT_EQ(table_->selectedRow(), 3); // the selected row moved down with its data
    EXPECT_TRUE(table_->rowViewAt(3)->isSelected());
    EXPECT_TRUE(rows_.selections.empty());

    table_->insertRows({9}); // beyond the end: nothing
    EXPECT_EQ(table_->numberOfRows(), 5);

    rows_.names.erase(rows_.names.begin() + 1);
    table_->removeRows({1}, TableView::effectFade);
    EXPECT_EQ(table_->selectedRow(), 2);
    EXPECT_TRUE(rows_.selections.empty());
    rows_.names.erase(rows_.names.begin() + 2);
    table_->removeRows({2, 7});
    EXPECT_EQ(table_->numberOfRows(), 3);
    EXPECT_EQ(table_->selectedRow(), -1);
    EXPECT_EQ(rows_.selections, std::vector<long> {-1});

    table_->selectRowIndexes({0}, false);
    table_->moveRow(0, 2);
    EXPECT_EQ(textAt(0, 2), "Fan/name");
    EXPECT_EQ(table_->selectedRow(), 2);
    EXPECT_EQ(table_->rowViewAt(2)->frame().y(), 56);

    rows_.names[1] = "Changed";
    const int before = rows_.cellRequests;
    table_->reloadData({1, 8}, {1});
    EXPECT_EQ(rows_.cellRequests, before + 1);
    EXPECT_EQ(textAt(1, 1), "Changed/value");
}

TEST_F(TableViewTest, AScrollViewShowsTheHeaderAboveAndScrollsWithinTheDocument)
{
    auto scroll = std::make_shared<ScrollView>(Rect {0, 0, 200, 100});
    table_->setHeaderView(std::make_shared<TableHeaderView>());
    table_->tableColumns()[0]->setTitle("Sensor");
    table_->tableColumns()[1]->setTitle("Value");
    scroll->setDocumentView(table_);
    EXPECT_EQ(table_->headerView()->frame(), (Rect {0, 72, 200, 28}));
    EXPECT_EQ(scroll->contentView().frame(), (Rect {0, 0, 200, 72}));
    EXPECT_EQ(scroll->contentView().bounds().origin, (Point {0, 0}));

    scroll->contentView().scrollToPoint({0, 500});
    EXPECT_EQ(scroll->contentView().bounds().origin, (Point {0, 112 - 72}));
    scroll->contentView().scrollToPoint({-5, -5});
    EXPECT_EQ(scroll->contentView().bounds().origin, (Point {0, 0}));
    Event wheel;
    wheel.type = Event::Type::scrollWheel;
    wheel.deltaY = -1; // one line towards the bottom
    scroll->scrollWheel(wheel);
    EXPECT_EQ(scroll->contentView().bounds().origin, (Point {0, 10}));
    EXPECT_EQ(scroll->documentVisibleRect(), (Rect {0, 10, 200, 72}));

    scroll->setMagnification(9);
    EXPECT_EQ(scroll->magnification(), 4);
    scroll->setMinMagnification(0.5);
    scroll->setMagnification(0.1);
    EXPECT_EQ(scroll->magnification(), 0.5);

    // The name column holds its longest name whole; the value column takes the rest.
    scroll->setFrameSize({260, 100});
    table_->tableColumns()[0]->setWidth(124);
    table_->layoutSubtreeIfNeeded();
    for (long row = 0; row < table_->numberOfRows(); ++row) {
        for (long column = 0; column < 2; ++column) {
            const TextField& label = *dynamic_cast<TableCellView&>(*table_->viewAt(column, row)).textField();
            EXPECT_LE(label.textFieldCell().cellSize().width, label.frame().width()) << label.stringValue();
            EXPECT_LE(label.frame().maxX(), table_->tableColumns()[static_cast<size_t>(column)]->width());
        }
    }
    table_->selectRowIndexes({1}, false);
    scroll->contentView().scrollToPoint({0, 0});
    const auto shot = Snapshot::of(*scroll, 2);
    shot.save("kit", "table-in-scroll-view");
    // The selected second row (y 28…56 from the document's top) shows under the header.
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({5, 72 - 42}), Colour::selectedContentBackgroundColor().resolved(), 0.02);
    EXPECT_FALSE(shot.isClear({0, 72, 260, 28}));
}
