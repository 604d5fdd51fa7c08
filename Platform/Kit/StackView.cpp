#include "Platform/Kit/StackView.h"

#include "Platform/Kit/TextField.h"

#include <algorithm>

namespace Kit {

StackView::StackView(const Rect& frame) : View(frame) {}

std::shared_ptr<StackView> StackView::withViews(const std::vector<std::shared_ptr<View>>& views)
{
    auto stack = std::make_shared<StackView>();
    for (const auto& view : views)
        stack->addArrangedSubview(view);
    return stack;
}

void StackView::setOrientation(Orientation orientation)
{
    orientation_ = orientation;
    setNeedsLayout();
}

void StackView::setSpacing(double spacing)
{
    spacing_ = spacing;
    setNeedsLayout();
}

void StackView::setDistribution(Distribution distribution)
{
    distribution_ = distribution;
    setNeedsLayout();
}

void StackView::setEdgeInsets(const EdgeInsets& insets)
{
    insets_ = insets;
    setNeedsLayout();
}

void StackView::addArrangedSubview(std::shared_ptr<View> view)
{
    insertArrangedSubview(std::move(view), static_cast<long>(arranged_.size()));
}

void StackView::insertArrangedSubview(std::shared_ptr<View> view, long index)
{
    if (!view)
        return;
    removeArrangedSubview(*view);
    if (view->superview() != this)
        addSubview(view);
    index = std::clamp(index, 0L, static_cast<long>(arranged_.size()));
    arranged_.insert(arranged_.begin() + index, std::move(view));
    setNeedsLayout();
}

void StackView::removeArrangedSubview(const View& view)
{
    const auto found =
        std::find_if(arranged_.begin(), arranged_.end(), [&](const auto& v) { return v.get() == &view; });
    if (found == arranged_.end())
        return;
    arranged_.erase(found);
    setNeedsLayout();
}

double StackView::lengthOf(const View& view) const
{
    if (orientation_ == Orientation::vertical)
        return view.frame().height();
    if (const auto* field = dynamic_cast<const TextField*>(&view))
        return field->intrinsicContentSize().width;
    return view.frame().width();
}

double StackView::fittingLength() const
{
    double length = orientation_ == Orientation::vertical ? insets_.top + insets_.bottom : insets_.left + insets_.right;
    long shown = 0;
    for (const auto& view : arranged_)
        if (!view->isHidden()) {
            length += lengthOf(*view);
            ++shown;
        }
    return length + spacing_ * static_cast<double>(std::max(0L, shown - 1));
}

void StackView::resizeSubviews(Size oldSize)
{
    View::resizeSubviews(oldSize);
    layout();
}

void StackView::layout()
{
    std::vector<View*> shown;
    for (const auto& view : arranged_)
        if (!view->isHidden())
            shown.push_back(view.get());
    if (shown.empty())
        return;
    const Rect b = bounds();
    const bool vertical = orientation_ == Orientation::vertical;
    const double available =
        vertical ? b.height() - insets_.top - insets_.bottom : b.width() - insets_.left - insets_.right;
    const double gaps = spacing_ * static_cast<double>(shown.size() - 1);

    std::vector<double> lengths;
    for (View* view : shown)
        lengths.push_back(distribution_ == Distribution::fillEqually
                              ? std::max(0.0, (available - gaps) / static_cast<double>(shown.size()))
                              : lengthOf(*view));
    if (!vertical && (distribution_ == Distribution::fill || distribution_ == Distribution::fillProportionally)) {
        // The first view takes what the others leave.
        double others = 0;
        for (size_t i = 1; i < lengths.size(); ++i)
            others += lengths[i];
        lengths[0] = std::max(0.0, available - gaps - others);
    }

    if (vertical) {
        // From the top down, whichever way the stack's y runs.
        double offset = insets_.top;
        const double width = std::max(0.0, b.width() - insets_.left - insets_.right);
        for (size_t i = 0; i < shown.size(); ++i) {
            const double y = isFlipped() ? b.y() + offset : b.maxY() - offset - lengths[i];
            shown[i]->setFrame({b.x() + insets_.left, y, width, lengths[i]});
            offset += lengths[i] + spacing_;
        }
        return;
    }
    double x = b.x() + insets_.left;
    const double height = std::max(0.0, b.height() - insets_.top - insets_.bottom);
    const double y = b.y() + (isFlipped() ? insets_.top : insets_.bottom);
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i]->setFrame({x, y, lengths[i], height});
        x += lengths[i] + spacing_;
    }
}

} // namespace Kit
