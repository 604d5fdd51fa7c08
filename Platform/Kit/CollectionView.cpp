#include "Platform/Kit/CollectionView.h"

#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/Event.h"

#include <algorithm>
#include <cmath>

namespace Kit {

CollectionView::CollectionView(const Rect& frame) : View(frame) {}

void CollectionView::setLayoutSettings(const FlowLayout& layout)
{
    layout_ = layout;
    placeItems();
}

void CollectionView::registerItem(const std::string& identifier, ItemFactory factory)
{
    factories_[identifier] = std::move(factory);
}

std::shared_ptr<CollectionViewItem> CollectionView::makeItem(const std::string& identifier, const IndexPath&) const
{
    const auto found = factories_.find(identifier);
    if (found == factories_.end() || !found->second)
        return nullptr;
    std::shared_ptr<CollectionViewItem> item = found->second();
    if (item)
        item->setIdentifier(identifier);
    return item;
}

void CollectionView::reloadData()
{
    for (const auto& item : items_)
        if (item && item->isViewLoaded())
            item->view().removeFromSuperview();
    items_.clear();
    const long count = dataSource_ ? std::max(0L, dataSource_->numberOfItems(*this, 0)) : 0;
    for (long i = 0; i < count; ++i) {
        std::shared_ptr<CollectionViewItem> item = dataSource_->itemFor(*this, {0, i});
        if (item)
            addSubview(item->viewPointer());
        items_.push_back(std::move(item));
    }
    std::set<IndexPath> kept;
    for (const IndexPath& path : selection_)
        if (path.section == 0 && path.item < count)
            kept.insert(path);
    selection_ = std::move(kept);
    placeItems();
    applySelection();
}

CollectionViewItem* CollectionView::itemAt(const IndexPath& indexPath) const
{
    if (indexPath.section != 0 || indexPath.item < 0 || indexPath.item >= numberOfItems())
        return nullptr;
    return items_[static_cast<size_t>(indexPath.item)].get();
}

long CollectionView::columns() const
{
    const double width = bounds().width() - layout_.sectionInset.left - layout_.sectionInset.right;
    const double step = layout_.itemSize.width + layout_.minimumInteritemSpacing;
    if (step <= 0)
        return 1;
    return std::max(1L, static_cast<long>(std::floor((width + layout_.minimumInteritemSpacing) / step)));
}

Rect CollectionView::frameForItem(long item) const
{
    if (item < 0 || item >= numberOfItems())
        return {};
    const long perRow = columns();
    const long row = item / perRow;
    const long column = item % perRow;
    return {layout_.sectionInset.left
                + static_cast<double>(column) * (layout_.itemSize.width + layout_.minimumInteritemSpacing),
            layout_.sectionInset.top
                + static_cast<double>(row) * (layout_.itemSize.height + layout_.minimumLineSpacing),
            layout_.itemSize.width, layout_.itemSize.height};
}

std::optional<IndexPath> CollectionView::indexPathForItem(Point point) const
{
    for (long i = 0; i < numberOfItems(); ++i)
        if (frameForItem(i).contains(point))
            return IndexPath {0, i};
    return std::nullopt;
}

void CollectionView::setFrameSize(Size size)
{
    View::setFrameSize(size);
    if (!placing_)
        placeItems();
}

void CollectionView::placeItems()
{
    placing_ = true;
    const long rows = numberOfItems() == 0 ? 0 : (numberOfItems() + columns() - 1) / columns();
    double height = layout_.sectionInset.top + layout_.sectionInset.bottom;
    if (rows > 0)
        height += static_cast<double>(rows) * layout_.itemSize.height
                  + static_cast<double>(rows - 1) * layout_.minimumLineSpacing;
    if (superview() && dynamic_cast<ClipView*>(superview()))
        height = std::max(height, superview()->bounds().height());
    if (frame().height() != height)
        View::setFrameSize({frame().width(), height});
    for (long i = 0; i < numberOfItems(); ++i)
        if (const auto& item = items_[static_cast<size_t>(i)])
            item->view().setFrame(frameForItem(i));
    placing_ = false;
}

void CollectionView::applySelection()
{
    for (long i = 0; i < numberOfItems(); ++i)
        if (const auto& item = items_[static_cast<size_t>(i)])
            item->setSelected(selection_.count({0, i}) != 0);
}

void CollectionView::selectItems(const std::set<IndexPath>& indexPaths)
{
    for (const IndexPath& path : indexPaths)
        if (itemAt(path)) {
            if (!allowsMultipleSelection_)
                selection_.clear();
            selection_.insert(path);
        }
    applySelection();
}

void CollectionView::deselectAll()
{
    selection_.clear();
    applySelection();
}

void CollectionView::mouseDown(const Event& event)
{
    if (!selectable_)
        return;
    const std::optional<IndexPath> hit = indexPathForItem(convertFrom(event.locationInWindow, nullptr));
    if (!hit) {
        if (allowsEmptySelection_ && !selection_.empty()) {
            const std::set<IndexPath> deselected = selection_;
            deselectAll();
            if (delegate_)
                delegate_->didDeselectItems(*this, deselected);
        }
        return;
    }
    if (selection_.count(*hit))
        return;
    std::set<IndexPath> deselected;
    if (!allowsMultipleSelection_)
        deselected.swap(selection_);
    selection_.insert(*hit);
    applySelection();
    if (delegate_ && !deselected.empty())
        delegate_->didDeselectItems(*this, deselected);
    if (delegate_)
        delegate_->didSelectItems(*this, {*hit});
}

} // namespace Kit
