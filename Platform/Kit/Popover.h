#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/View.h"

#include <functional>
#include <memory>

namespace Kit {

class Panel;
class ViewController;

// Content shown in a borderless panel beside a rect of a view (or of the screen). A transient
// popover closes when the user clicks outside it.
class AERLO_KIT_EXPORT Popover {
public:
    enum class Behavior { applicationDefined = 0, transient = 1, semitransient = 2 };
    // The rect's side the popover opens at (y up: minY below, maxY above).
    enum class Edge { minX = 0, minY = 1, maxX = 2, maxY = 3 };

    Popover();
    ~Popover();
    Popover(const Popover&) = delete;
    Popover& operator=(const Popover&) = delete;

    Behavior behavior() const { return behavior_; }
    void setBehavior(Behavior behavior) { behavior_ = behavior; }
    std::shared_ptr<View> contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<View> view);
    // Holds the controller and shows its view.
    const std::shared_ptr<ViewController>& contentViewController() const { return contentViewController_; }
    void setContentViewController(std::shared_ptr<ViewController> controller);
    // The content view's size unless set.
    Size contentSize() const;
    void setContentSize(Size size) { contentSize_ = size; }
    bool isShown() const;
    // The panel while shown.
    Panel* window() const;

    // Opens beside `rect` (in the view's coordinates) of a view in a window.
    void show(const Rect& rect, const View& view, Edge preferredEdge);
    // Opens beside a rect in screen coordinates (a status item's, for instance).
    void show(const Rect& screenRect, Edge preferredEdge);
    void close();
    // Told once each time the popover closes, however it closed.
    std::function<void()> didClose;

    // Where a popover of `size` opens beside `anchor` within `visibleFrame`: at the preferred edge,
    // or at the opposite one when only that fits; moved along the edge to stay inside.
    static Rect frameFor(const Rect& anchor, Size size, Edge preferredEdge, const Rect& visibleFrame);
    static constexpr double spacing = 2;

private:
    class PopoverPanel;
    void closedByQt();

    Behavior behavior_ = Behavior::applicationDefined;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<ViewController> contentViewController_;
    std::optional<Size> contentSize_;
    std::unique_ptr<PopoverPanel> panel_;
};

} // namespace Kit
