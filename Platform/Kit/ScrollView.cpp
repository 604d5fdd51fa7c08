#include "Platform/Kit/ScrollView.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/TableHeaderView.h"
#include "Platform/Kit/TableView.h"

#include <algorithm>
#include <cmath>

namespace Kit {

namespace {

// A line of a classic wheel scrolls this far.
constexpr double lineScroll = 10;

} // namespace

ScrollView::ScrollView(const Rect& frame) : View(frame), contentView_(std::make_shared<ClipView>(Rect({}, frame.size)))
{
    contentView_->setAutoresizingMask(View::widthSizable | View::heightSizable);
    addSubview(contentView_);
}

TableHeaderView* ScrollView::header() const
{
    auto* table = dynamic_cast<TableView*>(documentView().get());
    return table ? table->headerView().get() : nullptr;
}

void ScrollView::setDocumentView(std::shared_ptr<View> view)
{
    // A previous document's header leaves with it.
    for (const auto& subview : std::vector<std::shared_ptr<View>>(subviews()))
        if (dynamic_cast<TableHeaderView*>(subview.get()))
            subview->removeFromSuperview();
    contentView_->setDocumentView(std::move(view));
    tile();
    // A flipped document shows its top first; a y-up one its top too (the maximum y).
    if (const auto document = documentView(); document && !document->isFlipped())
        contentView_->scrollToPoint({0, document->frame().maxY()});
}

void ScrollView::tile()
{
    const Rect b = bounds();
    double headerHeight = 0;
    if (TableHeaderView* headerView = header()) {
        headerHeight = headerView->frame().height() > 0 ? headerView->frame().height() : TableHeaderView::defaultHeight;
        if (headerView->superview() != this)
            addSubview(headerView->shared_from_this());
        // The header sits at the top, y up.
        headerView->setFrame({b.x(), b.maxY() - headerHeight, b.width(), headerHeight});
    }
    contentView_->setFrame({b.x(), b.y(), b.width(), std::max(0.0, b.height() - headerHeight)});
    if (auto* table = dynamic_cast<TableView*>(documentView().get()))
        table->tile();
    contentView_->scrollToPoint(contentView_->bounds().origin);
}

void ScrollView::setFrameSize(Size size)
{
    View::setFrameSize(size);
    tile();
}

void ScrollView::setMagnification(double magnification)
{
    if (!std::isfinite(magnification))
        return;
    magnification_ = std::clamp(magnification, minMagnification_, std::max(minMagnification_, maxMagnification_));
}

void ScrollView::setMinMagnification(double value)
{
    minMagnification_ = value;
    setMagnification(magnification_);
}

void ScrollView::setMaxMagnification(double value)
{
    maxMagnification_ = value;
    setMagnification(magnification_);
}

void ScrollView::scrollWheel(const Event& event)
{
    double dx = event.hasPreciseScrollingDeltas ? event.scrollingDeltaX : event.deltaX * lineScroll;
    double dy = event.hasPreciseScrollingDeltas ? event.scrollingDeltaY : event.deltaY * lineScroll;
    // Positive deltas move the content down (towards its top): the view of the document moves up.
    Point origin = contentView_->bounds().origin;
    origin.x -= dx;
    origin.y += contentView_->isFlipped() ? -dy : dy;
    contentView_->scrollToPoint(origin);
}

bool ScrollView::showsFocusRing() const
{
    const std::shared_ptr<View> document = documentView();
    return View::showsFocusRing() || (document && document->View::showsFocusRing());
}

} // namespace Kit
