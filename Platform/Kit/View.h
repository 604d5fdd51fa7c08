#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/AccessibilityRole.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/Layer.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/Responder.h"
#include "Platform/Kit/Shadow.h"
#include "Platform/Kit/TrackingArea.h"
#include "Platform/Kit/ViewAnimator.h"

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImage;
class QWidget;

namespace Kit {

class GraphicsContext;
class Window;
namespace detail {
class ViewWidget;
}

// The platform's view on Qt Widgets. Kit's geometry is the truth: the frame lies in the superview's
// coordinates (y up unless the superview is flipped) and the private widget's geometry follows.
// A superview keeps its subviews alive (shared ownership, as the platform's retain).
class AERLO_KIT_EXPORT View : public Responder, public std::enable_shared_from_this<View> {
public:
    enum AutoresizingMask : unsigned {
        notSizable = 0,
        minXMargin = 1,
        widthSizable = 2,
        maxXMargin = 4,
        minYMargin = 8,
        heightSizable = 16,
        maxYMargin = 32,
    };
    enum class Ordering { below = -1, above = 1 };
    enum class Hook { setFrameSize, layout, viewWillDraw };
    enum class FocusRingType { default_ = 0, none = 1, exterior = 2 };

    explicit View(const Rect& frame = {});
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // The widget, for embedding Kit views in Qt and Qt widgets in Kit views.
    QWidget* qtWidget() const;

    // Geometry.
    Rect frame() const { return frame_; }
    virtual void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin);
    virtual void setFrameSize(Size size);
    Rect bounds() const { return bounds_; }
    void setBounds(const Rect& bounds);
    void setBoundsOrigin(Point origin);
    virtual bool isFlipped() const { return false; }
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool value) { autoresizesSubviews_ = value; }
    virtual void resizeSubviews(Size oldSize);
    virtual void resizeWithOldSuperviewSize(Size oldSize);
    // Scrolls the clip views above so that the rect (bounds coordinates) shows; true when one moved.
    bool scrollRectToVisible(const Rect& rect);
    // Points and rects between this view and `other` (nullptr: the window).
    Point convertFrom(Point point, const View* other) const;
    Point convertTo(Point point, const View* other) const;
    Rect convertFrom(const Rect& rect, const View* other) const;
    Rect convertTo(const Rect& rect, const View* other) const;

    // Hierarchy.
    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    void addSubview(std::shared_ptr<View> view);
    void addSubview(std::shared_ptr<View> view, Ordering ordering, const View* relativeTo);
    void removeFromSuperview();
    bool isDescendantOf(const View* view) const;
    Window* window() const;
    virtual void viewWillMoveToWindow(Window*) {}
    virtual void viewDidMoveToWindow() {}
    virtual void viewWillMoveToSuperview(View*) {}
    virtual void viewDidMoveToSuperview() {}
    virtual void didAddSubview(View*) {}
    // After the view, or an ancestor, became hidden (or shown again); views hidden themselves hear nothing.
    virtual void viewDidHide() {}
    virtual void viewDidUnhide() {}
    // The view had the mouse down and lost it without a release (its window hid, closed or lost the pointer).
    virtual void mouseTrackingCancelled() {}
    virtual void willRemoveSubview(View*) {}

    // State.
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isHiddenOrHasHiddenAncestor() const;
    // In a visible window and not hidden.
    bool isOnScreen() const;
    // The layer's opacity.
    double alphaValue() const;
    void setAlphaValue(double alpha);
    // Changes through the animator animate in the current animation context.
    ViewAnimator animator();
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip);
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    virtual int tag() const { return -1; }

    // Layer: every view has one.
    Layer& layer() const { return *layer_; }
    // The drop shadow, drawn by the layer: colour at opacity 1, offset and blur; none clears it.
    const std::optional<Shadow>& shadow() const { return shadow_; }
    void setShadow(std::optional<Shadow> shadow);
    // Replaces the view's layer (keeping the geometry).
    void setLayer(std::shared_ptr<Layer> layer);
    bool wantsLayer() const { return wantsLayer_; }
    void setWantsLayer(bool wants) { wantsLayer_ = wants; }
    virtual bool wantsUpdateLayer() const { return false; }
    virtual void updateLayer() {}

    // Display cycle: layout, viewWillDraw, then draw (or updateLayer for views that want it).
    bool needsDisplay() const { return needsDisplay_; }
    void setNeedsDisplay(bool needs = true);
    bool needsLayout() const { return needsLayout_; }
    void setNeedsLayout(bool needs = true);
    // The view's natural size changed: its superview lays it out again.
    void invalidateIntrinsicContentSize();
    virtual void layout() {}
    virtual void viewWillDraw() {}
    // Draws the view's content in its bounds; the current graphics context is set.
    virtual void draw(const Rect& dirtyRect);
    // What a view that updates its layer instead of drawing still paints over that layer (a control's own
    // look); nothing by default.
    virtual void drawOverUpdatedLayer(const Rect& dirtyRect) { (void)dirtyRect; }
    void layoutSubtreeIfNeeded();
    // Runs the display cycle for this view and its subviews now.
    void displayIfNeeded();
    void display();
    // The view and its subviews rendered at `scale` pixels per point (after a display pass); with a
    // `width`, only the view's leading part of that width.
    Image render(double scale = 1, double width = -1);

    // Events.
    // The deepest visible view under the point (in the superview's coordinates), or none.
    virtual View* hitTest(Point point);
    Responder* nextResponder() const override;
    // True when a Qt widget inside the view handles its own mouse input (a field editor).
    virtual bool handlesQtMouseEvents() const { return false; }
    void addTrackingArea(std::shared_ptr<TrackingArea> area);
    void removeTrackingArea(const TrackingArea* area);
    const std::vector<std::shared_ptr<TrackingArea>>& trackingAreas() const { return trackingAreas_; }
    // Called when the view enters a window and when its geometry changes.
    virtual void updateTrackingAreas() {}

    // Keyboard. The window's key view loop runs through the views that can become key view, in reading order.
    virtual bool canBecomeKeyView() const;
    // Whether a click makes the view first responder (fields and tables do; a clicked button leaves the
    // keyboard focus where it was).
    virtual bool becomesFirstResponderOnClick() const { return acceptsFirstResponder(); }
    // A key with modifiers, offered to the view and its subviews before the first responder: true when one
    // of them handled it.
    virtual bool performKeyEquivalent(const Event& event);
    FocusRingType focusRingType() const { return focusRingType_; }
    void setFocusRingType(FocusRingType type);
    // What the focus ring goes around (bounds coordinates) and its corner radius.
    virtual Rect focusRingMaskBounds() const { return bounds(); }
    virtual double focusRingCornerRadius() const { return 4; }
    // The view is its window's first responder, the window shows keyboard focus, and the view has a ring.
    virtual bool showsFocusRing() const;
    // Window side: the view gained or lost the keyboard focus, or the window began or stopped showing it.
    void keyboardFocusDidChange();

    // Accessibility: what the view is, its name (the label set, else its own title, else the tool tip) and
    // value. Views of role none are not announced themselves.
    virtual AccessibilityRole accessibilityRole() const;
    std::string accessibilityLabel() const;
    virtual std::string accessibilityTitle() const { return {}; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }
    virtual std::string accessibilityValue() const { return {}; }
    // What assistive technology's press does: false when the view has no such action.
    virtual bool accessibilityPerformPress() { return false; }

    // Appearance: the view's own, else inherited from the superview, the window, the application.
    std::optional<Appearance> appearance() const { return appearance_; }
    void setAppearance(std::optional<Appearance> appearance);
    Appearance effectiveAppearance() const;
    virtual void viewDidChangeEffectiveAppearance() {}
    // The backing scale under the view changed: it entered a window, a window of another scale, or its window
    // moved to a screen of another scale.
    virtual void viewDidChangeBackingProperties() {}

    // Values kept beside the view under text keys, released with it.
    const std::any* associatedValue(const std::string& key) const;
    void setAssociatedValue(const std::string& key, std::any value);
    void removeAssociatedValue(const std::string& key);

    // Process-wide hooks run after the base class's setFrameSize, layout and viewWillDraw of every view.
    using HookFunction = std::function<void(View&)>;
    static void addPostHook(Hook hook, HookFunction function);

    // Called by the layer when something it shows changed.
    void layerDidChange();
    // Window side.
    void setWindowForContent(Window* window);
    void propagateAppearanceChange();
    void propagateBackingPropertiesChange();

protected:
    // Qt geometry changed (subclasses that embed Qt widgets place them here).
    virtual void qtGeometryDidChange() {}

private:
    friend class detail::ViewWidget;
    friend class Window;
    void applyQtGeometry();
    void applyChildGeometry();
    void syncLayerGeometry();
    void moveToWindow(Window* window);
    void noteHiddenChange(bool hidden);
    void visitTopDown(bool visibleOnly, const std::function<void(View&)>& visit);
    void runLayoutPass();
    void runHooks(Hook hook);
    void paint(GraphicsContext& context, const Rect& dirty);
    void renderInto(QImage& pixels);
    Appearance inheritedAppearance() const;

    std::unique_ptr<detail::ViewWidget> widget_;
    Rect frame_;
    Rect bounds_;
    View* superview_ = nullptr;
    Window* window_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    std::shared_ptr<Layer> layer_;
    std::vector<std::shared_ptr<TrackingArea>> trackingAreas_;
    std::map<std::string, std::any> associated_;
    std::optional<Appearance> appearance_;
    std::optional<Shadow> shadow_;
    std::optional<Appearance> lastEffectiveAppearance_;
    std::string toolTip_;
    std::string identifier_;
    std::string accessibilityLabel_;
    FocusRingType focusRingType_ = FocusRingType::default_;
    unsigned autoresizingMask_ = notSizable;
    bool autoresizesSubviews_ = true;
    bool hidden_ = false;
    bool wantsLayer_ = false;
    bool needsDisplay_ = true;
    bool needsLayout_ = false;
};

} // namespace Kit
