#include "Platform/Kit/Popover.h"

#include "Platform/Kit/Panel.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/ViewController.h"

#include <QWidget>

#include <algorithm>

namespace Kit {

class Popover::PopoverPanel : public Panel {
public:
    PopoverPanel(Popover& owner, Size size) : Panel(Rect({0, 0}, size), borderless | nonactivatingPanel), owner_(owner)
    {
        setOpaque(false);
        setBackgroundColor(Colour::clear());
        setHasShadow(true);
        setHidesOnDeactivate(false);
    }
    bool canBecomeKeyWindow() const override { return true; }

protected:
    void windowWasHiddenByQt() override
    {
        const bool wasVisible = isVisible();
        Panel::windowWasHiddenByQt();
        if (wasVisible)
            owner_.closedByQt();
    }

private:
    Popover& owner_;
};

Popover::Popover() = default;

Popover::~Popover()
{
    didClose = nullptr;
    close();
}

void Popover::setContentView(std::shared_ptr<View> view)
{
    contentView_ = std::move(view);
    if (panel_ && contentView_)
        panel_->setContentView(contentView_);
}

void Popover::setContentViewController(std::shared_ptr<ViewController> controller)
{
    contentViewController_ = std::move(controller);
    setContentView(contentViewController_ ? contentViewController_->view() : nullptr);
}

Size Popover::contentSize() const
{
    if (contentSize_)
        return *contentSize_;
    return contentView_ ? contentView_->frame().size : Size {};
}

Panel* Popover::window() const { return panel_.get(); }

bool Popover::isShown() const { return panel_ && panel_->isVisible(); }

Rect Popover::frameFor(const Rect& anchor, Size size, Edge edge, const Rect& visible)
{
    const Rect a = anchor.standardized();
    auto place = [&](Edge e) -> Rect {
        switch (e) {
        case Edge::maxY:
            return {a.midX() - size.width / 2, a.maxY() + spacing, size.width, size.height};
        case Edge::minY:
            return {a.midX() - size.width / 2, a.minY() - spacing - size.height, size.width, size.height};
        case Edge::maxX:
            return {a.maxX() + spacing, a.midY() - size.height / 2, size.width, size.height};
        case Edge::minX:
            return {a.minX() - spacing - size.width, a.midY() - size.height / 2, size.width, size.height};
        }
        return {};
    };
    auto opposite = [](Edge e) {
        switch (e) {
        case Edge::maxY:
            return Edge::minY;
        case Edge::minY:
            return Edge::maxY;
        case Edge::maxX:
            return Edge::minX;
        case Edge::minX:
            return Edge::maxX;
        }
        return e;
    };
    const bool vertical = edge == Edge::maxY || edge == Edge::minY;
    auto fitsAcross = [&](const Rect& r) {
        return vertical ? r.minY() >= visible.minY() && r.maxY() <= visible.maxY()
                        : r.minX() >= visible.minX() && r.maxX() <= visible.maxX();
    };
    Rect frame = place(edge);
    if (!fitsAcross(frame) && fitsAcross(place(opposite(edge))))
        frame = place(opposite(edge));
    // Along the edge: inside the visible frame where it can be.
    if (vertical)
        frame.origin.x = std::clamp(frame.x(), visible.minX(), std::max(visible.minX(), visible.maxX() - size.width));
    else
        frame.origin.y = std::clamp(frame.y(), visible.minY(), std::max(visible.minY(), visible.maxY() - size.height));
    return frame;
}

void Popover::show(const Rect& rect, const View& view, Edge preferredEdge)
{
    const Window* window = view.window();
    if (!window)
        return;
    show(window->convertRectToScreen(view.convertTo(rect, nullptr)), preferredEdge);
}

void Popover::show(const Rect& screenRect, Edge preferredEdge)
{
    const Size size = contentSize();
    if (!panel_)
        panel_ = std::make_unique<PopoverPanel>(*this, size);
    QWidget* widget = panel_->qtWidget();
    // A transient popover is a Qt popup: a click outside closes it.
    widget->setWindowFlag(Qt::Popup, behavior_ == Behavior::transient);
    if (contentView_)
        panel_->setContentView(contentView_);
    const Screen screen = Screen::placementMain();
    Rect visible = screen.visibleFrame();
    for (const auto& s : Screen::screens())
        if (s->frame().intersects(screenRect) || s->frame().contains(screenRect.origin)) {
            visible = s->visibleFrame();
            break;
        }
    panel_->setFrame(frameFor(screenRect, size, preferredEdge, visible), true);
    panel_->makeKeyAndOrderFront();
}

void Popover::close()
{
    if (!isShown())
        return;
    panel_->orderOut();
    if (didClose)
        didClose();
}

void Popover::closedByQt()
{
    if (didClose)
        didClose();
}

} // namespace Kit
