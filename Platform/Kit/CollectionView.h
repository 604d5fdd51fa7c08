#pragma once

#include "Platform/Kit/CollectionViewItem.h"
#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

#include <compare>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kit {

class CollectionView;

struct AERLO_KIT_EXPORT IndexPath {
    long section = 0;
    long item = 0;
    auto operator<=>(const IndexPath&) const = default;
};

// Where a collection view's items come from (one section).
class AERLO_KIT_EXPORT CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual long numberOfItems(CollectionView& collectionView, long section) = 0;
    virtual std::shared_ptr<CollectionViewItem> itemFor(CollectionView& collectionView, const IndexPath& indexPath) = 0;
};

// Told when the user selects or deselects items (not when code does).
class AERLO_KIT_EXPORT CollectionViewDelegate {
public:
    virtual ~CollectionViewDelegate() = default;
    virtual void didSelectItems(CollectionView&, const std::set<IndexPath>&) {}
    virtual void didDeselectItems(CollectionView&, const std::set<IndexPath>&) {}
};

// A flow layout: items of one size in rows from the top, left to right, wrapping at the width.
struct AERLO_KIT_EXPORT FlowLayout {
    Size itemSize {50, 50};
    double minimumLineSpacing = 10;
    double minimumInteritemSpacing = 10;
    EdgeInsets sectionInset;
};

// Items from the data source laid out by a flow layout, top down; a click selects the item under it.
class AERLO_KIT_EXPORT CollectionView : public View {
public:
    using ItemFactory = std::function<std::shared_ptr<CollectionViewItem>()>;

    explicit CollectionView(const Rect& frame = {});

    CollectionViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(CollectionViewDataSource* dataSource) { dataSource_ = dataSource; }
    CollectionViewDelegate* delegate() const { return delegate_; }
    void setDelegate(CollectionViewDelegate* delegate) { delegate_ = delegate; }
    const FlowLayout& layoutSettings() const { return layout_; }
    void setLayoutSettings(const FlowLayout& layout);

    void registerItem(const std::string& identifier, ItemFactory factory);
    // A new item from the factory under the identifier; null when none is registered.
    std::shared_ptr<CollectionViewItem> makeItem(const std::string& identifier, const IndexPath& indexPath) const;

    void reloadData();
    long numberOfItems() const { return static_cast<long>(items_.size()); }
    CollectionViewItem* itemAt(const IndexPath& indexPath) const;
    Rect frameForItem(long item) const;
    // The item under a point of the bounds; none when no item is there.
    std::optional<IndexPath> indexPathForItem(Point point) const;

    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable) { selectable_ = selectable; }
    bool allowsEmptySelection() const { return allowsEmptySelection_; }
    void setAllowsEmptySelection(bool allows) { allowsEmptySelection_ = allows; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }
    const std::set<IndexPath>& selectionIndexPaths() const { return selection_; }
    // By code: the delegate hears nothing.
    void selectItems(const std::set<IndexPath>& indexPaths);
    void deselectAll();

    bool isFlipped() const override { return true; }
    void mouseDown(const Event& event) override;
    void setFrameSize(Size size) override;

private:
    long columns() const;
    void placeItems();
    void applySelection();

    CollectionViewDataSource* dataSource_ = nullptr;
    CollectionViewDelegate* delegate_ = nullptr;
    FlowLayout layout_;
    std::map<std::string, ItemFactory> factories_;
    std::vector<std::shared_ptr<CollectionViewItem>> items_;
    std::set<IndexPath> selection_;
    bool selectable_ = false;
    bool allowsEmptySelection_ = true;
    bool allowsMultipleSelection_ = false;
    bool placing_ = false;
};

} // namespace Kit
