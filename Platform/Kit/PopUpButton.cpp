#include "Platform/Kit/PopUpButton.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/KeyCode.h"

#include <algorithm>

namespace Kit {

PopUpButton::PopUpButton(const Rect& frame, bool pullsDown) : Control(frame), pullsDown_(pullsDown) {}

void PopUpButton::setPullsDown(bool pullsDown)
{
    pullsDown_ = pullsDown;
    setNeedsDisplay();
}

void PopUpButton::adopt(MenuItem& item)
{
    item.setAction(MenuItem::Action([this](MenuItem& chosen) { choose(chosen); }));
    item.setTarget(this);
}

void PopUpButton::addItem(std::string title) { insertItem(std::move(title), numberOfItems()); }

void PopUpButton::addItems(const std::vector<std::string>& titles)
{
    for (const std::string& title : titles)
        addItem(title);
}

void PopUpButton::insertItem(std::string title, long index)
{
    // One item per title: adding a title again moves it.
    if (const long existing = indexOfItem(title); existing >= 0)
        removeItem(existing);
    auto item = std::make_shared<MenuItem>(std::move(title));
    adopt(*item);
    index = std::clamp(index, 0L, numberOfItems());
    menu_->insertItem(item, index);
    if (selected_ >= index)
        ++selected_;
    if (selected_ < 0 && !pullsDown_)
        selected_ = 0;
    setNeedsDisplay();
}

void PopUpButton::removeItem(long index)
{
    if (index < 0 || index >= numberOfItems())
        return;
    menu_->removeItemAt(index);
    if (selected_ == index)
        selected_ = numberOfItems() > 0 && !pullsDown_ ? std::min(index, numberOfItems() - 1) : -1;
    else if (selected_ > index)
        --selected_;
    setNeedsDisplay();
}

void PopUpButton::removeAllItems()
{
    menu_->removeAllItems();
    selected_ = -1;
    setNeedsDisplay();
}

std::vector<std::string> PopUpButton::itemTitles() const
{
    std::vector<std::string> titles;
    for (const auto& item : menu_->items())
        titles.push_back(item->title());
    return titles;
}

long PopUpButton::indexOfItem(std::string_view title) const
{
    const MenuItem* item = menu_->itemWithTitle(title);
    return item ? menu_->indexOfItem(*item) : -1;
}

std::string PopUpButton::titleOfSelectedItem() const
{
    const MenuItem* item = selectedItem();
    return item ? item->title() : std::string();
}

void PopUpButton::selectItem(long index)
{
    selected_ = index >= 0 && index < numberOfItems() ? index : -1;
    setNeedsDisplay();
}

void PopUpButton::selectItemWithTitle(std::string_view title) { selectItem(indexOfItem(title)); }

void PopUpButton::choose(MenuItem& item)
{
    const long index = menu_->indexOfItem(item);
    if (index < 0)
        return;
    if (!pullsDown_)
        selectItem(index);
    sendAction();
}

bool PopUpButton::performClick()
{
    if (!isEnabled() || numberOfItems() == 0)
        return true;
    // The menu opens over the button with the selected item under the pointer.
    menu_->popUp(selectedItem(), {0, isFlipped() ? bounds().maxY() : bounds().minY()}, this);
    return true;
}

void PopUpButton::mouseDown(const Event&) { performClick(); }

void PopUpButton::keyDown(const Event& event)
{
    const int step = event.keyCode == KeyCode::upArrow ? -1 : event.keyCode == KeyCode::downArrow ? 1 : 0;
    if (step == 0 || pullsDown_ || !isEnabled()) {
        Control::keyDown(event);
        return;
    }
    // The next item that can be chosen, if any; the selection stays at the ends.
    for (long index = selected_ + step; index >= 0 && index < numberOfItems(); index += step) {
        MenuItem* item = itemAt(index);
        if (item->isEnabled() && !item->isHidden() && !item->isSeparatorItem()) {
            choose(*item);
            return;
        }
    }
}

void PopUpButton::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    context->strokePath(fillBezel(*context), Colour::separatorColor(), 1);
    const Rect b = bounds().insetBy(0.5, 0.5);
    const Font& titleFont = font();
    const double lineHeight = titleFont.lineHeight();
    const Colour text = titleColour();
    context->drawText(titleOfSelectedItem(),
                      {b.x() + 8, b.midY() - lineHeight / 2, std::max(0.0, b.width() - 28), lineHeight}, titleFont,
                      text, TextAlignment::left, true);
    // The chevron at the right end.
    const double x = b.maxX() - 12;
    const double y = b.midY();
    BezierPath up;
    up.moveTo({x - 3, y + 1.5});
    up.lineTo({x, y + 4.5});
    up.lineTo({x + 3, y + 1.5});
    BezierPath down;
    down.moveTo({x - 3, y - 1.5});
    down.lineTo({x, y - 4.5});
    down.lineTo({x + 3, y - 1.5});
    context->strokePath(up, text, 1.5);
    context->strokePath(down, text, 1.5);
}

} // namespace Kit
