#include "Platform/Kit/CollectionView.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;

namespace {

class LinkItem : public CollectionViewItem {
public:
    int loads = 0;

protected:
    void viewDidLoad() override { ++loads; }
};

struct Links : CollectionViewDataSource, CollectionViewDelegate {
    long numberOfItems(CollectionView&, long) override { return count; }
    std::shared_ptr<CollectionViewItem> itemFor(CollectionView& view, const IndexPath& path) override
    {
        auto item = view.makeItem("LinkItem", path);
        item->setRepresentedObject(std::string("link ") + std::to_string(path.item));
        return item;
    }
    void didSelectItems(CollectionView& view, const std::set<IndexPath>& paths) override
    {
        selected.push_back(std::any_cast<std::string>(view.itemAt(*paths.begin())->representedObject()));
    }
    void didDeselectItems(CollectionView&, const std::set<IndexPath>& paths) override
    {
        deselected += static_cast<int>(paths.size());
    }

    long count = 5;
    std::vector<std::string> selected;
    int deselected = 0;
};

class CollectionViewTest : public Testing::KitTest {};

} // namespace

TEST_F(CollectionViewTest, ItemsFlowInRowsFromTheTopAndAClickSelectsOne)
{
    Links links;
    auto collection = std::make_shared<CollectionView>(Rect {0, 0, 220, 0});
    collection->registerItem("LinkItem", [] { return std::make_shared<LinkItem>(); });
    collection->setDataSource(&links);
    collection->setDelegate(&links);
    collection->setLayoutSettings({{100, 40}, 0, 10, {}});
    collection->reloadData();

    ASSERT_EQ(collection->numberOfItems(), 5);
    EXPECT_EQ(static_cast<LinkItem*>(collection->itemAt({0, 0}))->loads, 1);
    EXPECT_EQ(collection->itemAt({0, 3})->identifier(), "LinkItem");
    EXPECT_EQ(collection->itemAt({0, 5}), nullptr);
    EXPECT_EQ(collection->itemAt({1, 0}), nullptr);
    // Two to a row (100 + 10 + 100 fits 220), three rows, no line spacing.
    EXPECT_EQ(collection->frameForItem(1), (Rect {110, 0, 100, 40}));
    EXPECT_EQ(collection->frameForItem(4), (Rect {0, 80, 100, 40}));
    EXPECT_EQ(collection->frame().height(), 120);
    EXPECT_EQ(collection->itemAt({0, 4})->view().frame(), (Rect {0, 80, 100, 40}));

    Window window({0, 0, 220, 120}, Window::borderless);
    window.setContentView(collection);
    EventInjector input(window);
    input.click({150, 100}); // item 1, in the top row
    EXPECT_TRUE(links.selected.empty()); // not selectable yet
    collection->setSelectable(true);
    input.click({150, 100});
    EXPECT_EQ(links.selected, std::vector<std::string> {"link 1"});
    EXPECT_TRUE(collection->itemAt({0, 1})->isSelected());
    input.click({50, 20}); // item 4
    EXPECT_EQ(links.selected.back(), "link 4");
    EXPECT_FALSE(collection->itemAt({0, 1})->isSelected());
    EXPECT_EQ(collection->selectionIndexPaths(), (std::set<IndexPath> {{0, 4}}));
    EXPECT_EQ(links.deselected, 1);
    input.click({50, 20}); // the selected item again: nothing new
    EXPECT_EQ(links.selected.size(), 2u);
    input.click({160, 20}); // no item there: the selection empties
    EXPECT_TRUE(collection->selectionIndexPaths().empty());
    EXPECT_EQ(links.deselected, 2);

    collection->selectItems({{0, 2}});
    EXPECT_EQ(links.selected.size(), 2u); // code selects quietly
    links.count = 2;
    collection->reloadData();
    EXPECT_TRUE(collection->selectionIndexPaths().empty());
    EXPECT_EQ(collection->frame().height(), 40);
}
