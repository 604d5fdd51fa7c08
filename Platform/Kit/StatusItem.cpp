#include "Platform/Kit/StatusItem.h"

#include "Platform/Kit/Screen.h"

#include <algorithm>

namespace Kit {

StatusItem::StatusItem(double length) : length_(length)
{
    const double thickness = Screen::statusBarThickness;
    const Rect screen = Screen::placementMain().frame();
    window_ = std::make_unique<Window>(
        Rect {screen.maxX() - thickness, screen.maxY() - thickness, thickness, thickness}, Window::borderless);
    window_->setLevel(Window::Level::statusBar);
    window_->setOpaque(false);
    window_->setBackgroundColor(Colour::clear());
    button_ = std::make_shared<StatusBarButton>(*this);
    button_->setFrame({0, 0, thickness, thickness});
    button_->setAutoresizingMask(View::widthSizable | View::heightSizable);
    window_->setContentView(button_);
    window_->setDisplayRequestHandler([this] { changed(); });
    applyWidth();
}

StatusItem::~StatusItem() { window_->setDisplayRequestHandler(nullptr); }

void StatusItem::setLength(double length)
{
    if (length == length_)
        return;
    length_ = length;
    applyWidth();
    changed();
}

double StatusItem::width() const
{
    const double thickness = Screen::statusBarThickness;
    if (length_ == squareLength)
        return thickness;
    if (length_ >= 0)
        return length_;
    double fitting = 4;
    if (image().isValid())
        fitting += image().size().width + 4;
    if (!title().empty())
        fitting += button_->font().widthOf(title()) + 4;
    return std::max(thickness, fitting);
}

void StatusItem::applyWidth()
{
    Rect frame = window_->frame();
    const double width = this->width();
    if (frame.width() == width)
        return;
    // The item grows to the left, as status items do.
    frame.origin.x = frame.maxX() - width;
    frame.size.width = width;
    window_->setFrame(frame, true);
}

void StatusItem::setVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    changed();
}

void StatusItem::setMenu(std::shared_ptr<Menu> menu)
{
    menu_ = std::move(menu);
    changed();
}

void StatusItem::setImage(Image image)
{
    button_->setImage(std::move(image));
    applyWidth();
}

void StatusItem::setTitle(std::string title)
{
    button_->setTitle(std::move(title));
    applyWidth();
}

void StatusItem::setScreenFrame(const Rect& frame)
{
    // The item keeps its width, centred on the place it was given (a tray gives its icon's square).
    const double width = this->width();
    const double height = frame.height() > 0 ? frame.height() : Screen::statusBarThickness;
    window_->setFrame({frame.midX() - width / 2, frame.y(), width, height}, true);
}

void StatusItem::changed()
{
    if (changeHandler_)
        changeHandler_();
}

} // namespace Kit
