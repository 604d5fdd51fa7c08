#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/Responder.h"
#include "Platform/Kit/WindowAnimator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEvent;
class QWidget;

namespace Kit {

class Screen;
class View;
class Window;
namespace detail {
class WindowWidget;
}

// Posted on Foundation's default centre with the window as the object.
inline constexpr const char* windowDidBecomeKeyNotification = "NSWindowDidBecomeKeyNotification";
inline constexpr const char* windowDidResignKeyNotification = "NSWindowDidResignKeyNotification";
inline constexpr const char* windowWillCloseNotification = "NSWindowWillCloseNotification";

class AERLO_KIT_EXPORT WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual void windowDidBecomeKey(Window&) {}
    virtual void windowDidResignKey(Window&) {}
    virtual void windowWillClose(Window&) {}
    virtual void windowDidResize(Window&) {}
    virtual void windowDidMove(Window&) {}
};

// A top-level window: a frameless Qt window whose frame, in global y-up coordinates, is Kit's model
// (Qt's geometry follows; window managers may ignore positions). Kit dispatches its mouse input:
// hit testing, the mouse-down target and tracking areas.
class AERLO_KIT_EXPORT Window : public Responder {
public:
    enum StyleMask : unsigned {
        borderless = 0,
        titled = 0x1,
        closable = 0x2,
        miniaturizable = 0x4,
        resizable = 0x8,
        utilityWindow = 0x10,
        nonactivatingPanel = 0x80,
        hudWindow = 0x2000,
        fullScreen = 0x4000,
        fullSizeContentView = 0x8000,
    };
    enum class ButtonType { closeButton = 0, miniaturizeButton = 1, zoomButton = 2 };
    struct Level {
        static constexpr int normal = 0;
        static constexpr int floating = 3;
        static constexpr int modalPanel = 8;
        static constexpr int mainMenu = 24;
        static constexpr int statusBar = 25;
        static constexpr int popUpMenu = 101;
        static constexpr int screenSaver = 1000;
    };
    static constexpr double titleBarHeight = 28;

    Window(const Rect& contentRect, unsigned styleMask, int backing = 2, bool defer = true);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    QWidget* qtWidget() const;

    // Geometry.
    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame, bool display, bool animate = false);
    void setFrameOrigin(Point origin);
    void setFrameTopLeftPoint(Point point);
    Rect contentRectForFrameRect(const Rect& frame) const;
    Rect frameRectForContentRect(const Rect& content) const;
    Size contentSize() const;
    void setContentSize(Size size);
    // Centred horizontally in the screen's visible frame, a third of the free height above it.
    void center();
    std::shared_ptr<Screen> screen() const;
    double backingScaleFactor() const;
    Point convertPointFromScreen(Point point) const;
    Point convertPointToScreen(Point point) const;
    Rect convertRectToScreen(const Rect& rect) const;

    unsigned styleMask() const { return styleMask_; }
    void setStyleMask(unsigned mask);
    std::shared_ptr<View> contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<View> view);
    // The standard buttons of the title strip (views of Kit), or none for a window without them.
    View* standardWindowButton(ButtonType type) const;
    bool isStandardWindowButtonEnabled(ButtonType type) const;
    void setStandardWindowButtonEnabled(ButtonType type, bool enabled);

    int level() const { return level_; }
    void setLevel(int level);
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    bool titlebarAppearsTransparent() const { return titlebarAppearsTransparent_; }
    void setTitlebarAppearsTransparent(bool value);
    Colour backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Colour& colour);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque);
    bool hasShadow() const { return hasShadow_; }
    void setHasShadow(bool value) { hasShadow_ = value; }
    double alphaValue() const { return alpha_; }
    void setAlphaValue(double alpha);
    // Changes through the animator animate in the current animation context.
    WindowAnimator animator() { return WindowAnimator(*this); }
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
    void setIgnoresMouseEvents(bool value);
    // Where the window takes the pointer (window coordinates); elsewhere input reaches what lies
    // behind it (a clear full-screen window around a small box). None: everywhere.
    std::optional<Rect> inputRect() const { return inputRect_; }
    void setInputRect(std::optional<Rect> rect);
    bool isMovableByWindowBackground() const { return movableByBackground_; }
    void setMovableByWindowBackground(bool value) { movableByBackground_ = value; }
    bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
    void setHidesOnDeactivate(bool value) { hidesOnDeactivate_ = value; }
    std::optional<Appearance> appearance() const { return appearance_; }
    void setAppearance(std::optional<Appearance> appearance);
    Appearance effectiveAppearance() const;
    WindowDelegate* delegate() const { return delegate_; }
    void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }

    // Ordering and key state.
    bool isVisible() const { return visible_; }
    void makeKeyAndOrderFront();
    void orderFront();
    void orderOut();
    void close();
    bool isKeyWindow() const;
    void makeKey();
    void resignKey();
    // Windows with a title bar or a resize edge can; borderless ones cannot unless a subclass says so.
    virtual bool canBecomeKeyWindow() const { return (styleMask_ & (titled | resizable)) != 0; }
    Responder* firstResponder() const { return firstResponder_; }
    bool makeFirstResponder(Responder* responder);
    // The key view loop: the views that can become key view, each view's subviews in reading order (rows
    // from the top, each row from the left). These move the first responder along it, round at the ends.
    std::vector<View*> keyViewLoop() const;
    void selectNextKeyView();
    void selectPreviousKeyView();
    // Whether the first responder shows its focus ring: from a key that reached the window until the next
    // click in it.
    bool showsFocusRing() const { return showsFocusRing_; }
    // A key with the command modifier: the content's key equivalents, then the application's main menu.
    bool performKeyEquivalent(const Event& event);
    bool isMiniaturized() const { return miniaturized_; }
    void miniaturize();
    void deminiaturize();
    void toggleFullScreen();

    // Input from the window system or a test: dispatched as the platform does.
    void sendEvent(const Event& event);
    // The display cycle of the content view, then Qt paints.
    void displayIfNeeded();
    // The window's content at `scale` (the background colour, then the content view).
    Image render(double scale = 1);
    // Told, synchronously, whenever a view of the window asks for display or layout (for windows that are
    // shown by other means than Qt's, such as a status item's).
    using DisplayRequestHandler = std::function<void()>;
    void setDisplayRequestHandler(DisplayRequestHandler handler) { displayRequestHandler_ = std::move(handler); }
    void noteDisplayRequest()
    {
        if (displayRequestHandler_)
            displayRequestHandler_();
    }

    static std::vector<Window*> windows();
    static Window* keyWindow();
    // The application counts as active while one of its windows is key (tests may fix it).
    static bool isApplicationActive();
    // The application stopped or started being active: windows that hide on deactivation hide, and
    // come back when it is active again. Called from Qt's application state.
    static void applicationActivityDidChange(bool active);

    // An unhandled mouse-down on a window movable by its background starts a move.
    void mouseDown(const Event& event) override;
    // An unhandled key: Tab and Shift+Tab move along the key view loop.
    void keyDown(const Event& event) override;

protected:
    virtual void windowDidChangeFrame() {}
    // Qt hid the window (a popup closed by a click outside, the window manager): Kit's model follows.
    virtual void windowWasHiddenByQt();
    // Whether showing the window should not activate the application.
    virtual bool showsWithoutActivating() const { return false; }

private:
    friend class detail::WindowWidget;
    void applyQtGeometry();
    void layoutStrip();
    void applyInputRect();
    void updateTracking(const Event& event);
    void exitAllTrackingAreas(const Event& event);
    // The view that had the mouse down loses it without a release.
    void cancelMouseTracking();
    bool handleQtEvent(QEvent* event);
    // Whether a Qt widget of the window other than Kit's own (a field editor) has the keyboard focus.
    bool qtEditorHasFocus() const;
    void setShowsFocusRing(bool shows);
    void selectKeyView(View* view);

    std::unique_ptr<detail::WindowWidget> widget_;
    std::unique_ptr<QWidget> contentHolder_;
    Rect frame_;
    unsigned styleMask_;
    std::shared_ptr<View> contentView_;
    std::vector<std::shared_ptr<View>> buttons_;
    std::weak_ptr<View> mouseDownView_;
    int level_ = Level::normal;
    std::string title_;
    bool titlebarAppearsTransparent_ = false;
    Colour backgroundColor_ = Colour::windowBackgroundColor();
    bool opaque_ = true;
    bool hasShadow_ = true;
    double alpha_ = 1;
    bool ignoresMouseEvents_ = false;
    bool movableByBackground_ = false;
    bool hidesOnDeactivate_ = false;
    bool visible_ = false;
    bool hiddenByDeactivation_ = false;
    std::optional<Rect> inputRect_;
    bool miniaturized_ = false;
    std::optional<Appearance> appearance_;
    WindowDelegate* delegate_ = nullptr;
    Responder* firstResponder_ = nullptr;
    bool showsFocusRing_ = false;
    DisplayRequestHandler displayRequestHandler_;

    friend struct ::TestAccess;
    static void setApplicationActiveForTesting(std::optional<bool> active);
};

} // namespace Kit
