#include "Platform/Kit/TableCellView.h"
#include "Platform/Kit/TableView.h"
#include "QVToolsKit/UI/QVTableViewHelper.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/KitTest.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace Kit;
using QVToolsKit::QVTableViewHelper;

namespace {

// A table over a list of numbers that records the update calls it gets.
class CountingTable : public TableView, public TableViewDataSource, public TableViewDelegate {
public:
    using TableView::numberOfRows;
    using TableView::reloadData;

    explicit CountingTable(int rows)
    {
        for (int i = 0; i < rows; ++i)
            values.push_back(i);
        addTableColumn(std::make_shared<TableColumn>("value"));
        setDataSource(this);
        setDelegate(this);
        reloadData();
    }

    long numberOfRows(TableView&) override { return static_cast<long>(values.size()); }
    std::shared_ptr<View> viewFor(TableView&, TableColumn*, long) override
    {
        return std::make_shared<TableCellView>(Rect {0, 0, 100, 24});
    }

    void beginUpdates() override
    {
        calls.push_back("begin");
        TableView::beginUpdates();
    }
    void endUpdates() override
    {
        calls.push_back("end");
        TableView::endUpdates();
    }
    void insertRows(const IndexSet& rows, unsigned animation) override
    {
        calls.push_back("insert " + std::to_string(*rows.begin()) + " " + std::to_string(animation));
        TableView::insertRows(rows, animation);
    }
    void removeRows(const IndexSet& rows, unsigned animation) override
    {
        calls.push_back("remove " + std::to_string(*rows.begin()) + " " + std::to_string(animation));
        TableView::removeRows(rows, animation);
    }
    void moveRow(long from, long to) override
    {
        calls.push_back("move " + std::to_string(from) + " " + std::to_string(to));
        TableView::moveRow(from, to);
    }
    void reloadData(const IndexSet& rows, const IndexSet& columns) override
    {
        calls.push_back("reload " + std::to_string(*rows.begin()) + " columns " + std::to_string(columns.size()));
        TableView::reloadData(rows, columns);
    }

    std::vector<int> values;
    std::vector<std::string> calls;
};

class QVTableViewHelperTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        table_ = std::make_shared<CountingTable>(4);
    }

    std::shared_ptr<CountingTable> table_;
    ConsoleCapture console_;
};

} // namespace

TEST_F(QVTableViewHelperTest, RemovalOutsideTheRowsChangesNothingAndPrintsTheIndex)
{
    QVTableViewHelper::updateTableViewRow(table_, -1, false);
    QVTableViewHelper::updateTableViewRow(table_, 4, false);
    EXPECT_TRUE(table_->calls.empty()); // nothing happens before the main queue runs
    driver().runUntilIdle();
    EXPECT_EQ(table_->numberOfRows(), 4);
    EXPECT_EQ(console_.output(), "无效的删除索引：-1\n无效的删除索引：4\n");
    EXPECT_EQ(table_->calls, (std::vector<std::string> {"begin", "end", "begin", "end"}));
}

TEST_F(QVTableViewHelperTest, InsertionBeyondTheRowsChangesNothingAndPrintsTheIndex)
{
    QVTableViewHelper::updateTableViewRow(table_, 9, true);
    QVTableViewHelper::updateTableViewRow(table_, -2, true);
    driver().runUntilIdle();
    EXPECT_EQ(table_->numberOfRows(), 4);
    EXPECT_EQ(console_.output(), "无效的插入索引：9\n无效的插入索引：-2\n");
}

TEST_F(QVTableViewHelperTest, ValidChangesInsertWithTheGapAndRemoveWithTheFade)
{
    table_->values.push_back(4);
    QVTableViewHelper::updateTableViewRow(table_, 4, true);
    driver().runUntilIdle();
    table_->values.erase(table_->values.begin());
    QVTableViewHelper::updateTableViewRow(table_, 0, false);
    driver().runUntilIdle();
    EXPECT_EQ(table_->numberOfRows(), 4);
    EXPECT_EQ(table_->calls,
        (std::vector<std::string> {"begin", "insert 4 2", "end", "begin", "remove 0 1", "end"}));
    EXPECT_EQ(console_.output(), "");
}

TEST_F(QVTableViewHelperTest, CallsFromAWorkerRunInCallOrderWhenTheMainQueueRuns)
{
    std::thread worker([&] {
        table_->values.push_back(4);
        QVTableViewHelper::updateTableViewRow(table_, 4, true);
        QVTableViewHelper::updateTableViewRow(table_, 7, false);
    });
    worker.join();
    EXPECT_TRUE(table_->calls.empty());
    driver().runUntilIdle();
    EXPECT_EQ(table_->calls,
        (std::vector<std::string> {"begin", "insert 4 2", "end", "begin", "end"}));
    EXPECT_EQ(console_.output(), "无效的删除索引：7\n");
}

TEST_F(QVTableViewHelperTest, ATableGoneBeforeTheQueueRunsIsLeftAlone)
{
    QVTableViewHelper::updateTableViewRow(table_, 0, false);
    QVTableViewHelper::updateTableViewRow(table_, 9, true);
    table_.reset();
    driver().runUntilIdle();
    EXPECT_EQ(console_.output(), "");
}

TEST_F(QVTableViewHelperTest, MovesHappenOnlyBetweenTwoDifferentRows)
{
    const std::pair<long, long> refused[] = {{1, 1}, {-1, 2}, {2, -1}, {4, 0}, {0, 4}};
    for (const auto& [from, to] : refused)
        QVTableViewHelper::moveRowIfNeeded(*table_, from, to);
    EXPECT_TRUE(table_->calls.empty());
    QVTableViewHelper::moveRowIfNeeded(*table_, 0, 3);
    EXPECT_EQ(table_->calls, (std::vector<std::string> {"begin", "move 0 3", "end"}));
}

TEST_F(QVTableViewHelperTest, ReloadRowReloadsEveryColumnOfARealRowOnly)
{
    table_->addTableColumn(std::make_shared<TableColumn>("other"));
    QVTableViewHelper::reloadRow(*table_, 4);
    QVTableViewHelper::reloadRow(*table_, -1);
    EXPECT_TRUE(table_->calls.empty());
    QVTableViewHelper::reloadRow(*table_, 2);
    EXPECT_EQ(table_->calls, std::vector<std::string> {"reload 2 columns 2"});

    auto empty = std::make_shared<CountingTable>(0);
    QVTableViewHelper::reloadRow(*empty, 0);
    EXPECT_TRUE(empty->calls.empty());
}

TEST_F(QVTableViewHelperTest, TheRowOfAViewIsTheRowAtItsOrigin)
{
    for (long row = 0; row < 4; ++row)
        EXPECT_EQ(QVTableViewHelper::row(*table_->viewAt(0, row), *table_), row);
    EXPECT_EQ(QVTableViewHelper::row(*table_->rowViewAt(2), *table_), 2);
    View outside(Rect {0, 0, 10, 10});
    EXPECT_EQ(QVTableViewHelper::row(outside, *table_), -1);
}
