#include "Platform/Kit/Window.h"

#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/KeyCode.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/ViewAccessible.h"
#include "Platform/Kit/EventMonitor.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewWidget.h"
#include "Platform/Kit/WindowWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace Kit {

namespace {

struct WindowRegistry {
    std::vector<Window*> windows;
    Window* key = nullptr;
    std::optional<bool> activeOverride;
};

WindowRegistry& registry()
{
    static Foundation::SharedInstance<WindowRegistry> r;
    return r.get();
}

// A standard button of the title strip: a coloured circle.
class StandardButton : public View {
public:
    StandardButton(Window::ButtonType type) : View({0, 0, 12, 12}), type_(type) {}
    void draw(const Rect&) override
    {
        static const Colour colours[3] = {Colour::fromRGB255(255, 95, 87), Colour::fromRGB255(254, 188, 46),
            Colour::fromRGB255(40, 200, 64)};
        if (auto* context = GraphicsContext::current())
            context->fillPath(BezierPath::oval(bounds().insetBy(0.5, 0.5)),
                enabled_ ? colours[static_cast<int>(type_)] : Colour::systemGray().withAlphaComponent(0.4));
    }
    void mouseUp(const Event& event) override
    {
        Window* w = window();
        if (!w || !enabled_ || !bounds().contains(convertFrom(event.locationInWindow, nullptr)))
            return;
        switch (type_) {
        case Window::ButtonType::closeButton: w->close(); break;
        case Window::ButtonType::miniaturizeButton: w->miniaturize(); break;
        case Window::ButtonType::zoomButton: w->toggleFullScreen(); break;
        }
    }
    void mouseDown(const Event&) override {}
    bool enabled_ = true;

private:
    Window::ButtonType type_;
};

unsigned modifiersOf(Qt::KeyboardModifiers m)
{
    unsigned flags = 0;
    if (m & Qt::ShiftModifier) flags |= Event::shift;
    if (m & Qt::ControlModifier) flags |= Event::command; // the command key is Ctrl here
    if (m & Qt::AltModifier) flags |= Event::option;
    if (m & Qt::MetaModifier) flags |= Event::control;
    return flags;
}

unsigned phaseOf(Qt::ScrollPhase phase)
{
    switch (phase) {
    case Qt::ScrollBegin: return Event::phaseBegan;
    case Qt::ScrollUpdate: return Event::phaseChanged;
    case Qt::ScrollEnd: return Event::phaseEnded;
    default: return Event::phaseNone;
    }
}

// A button's press or release to the handler of its kind.
void deliverButtonEvent(Responder& target, const Event& event)
{
    switch (event.type) {
    case Event::Type::leftMouseDown: target.mouseDown(event); break;
    case Event::Type::rightMouseDown: target.rightMouseDown(event); break;
    case Event::Type::otherMouseDown: target.otherMouseDown(event); break;
    case Event::Type::leftMouseUp: target.mouseUp(event); break;
    case Event::Type::rightMouseUp: target.rightMouseUp(event); break;
    case Event::Type::otherMouseUp: target.otherMouseUp(event); break;
    default: break;
    }
}

// A Qt key as the platform describes it: Kit's keys by their codes, anything else by its text.
Event keyEventOf(const QKeyEvent& key)
{
    struct Named {
        int key;
        unsigned short code;
        const char* characters;
    };
    static constexpr Named named[] = {
        {Qt::Key_Return, KeyCode::returnKey, KeyCharacters::returnKey},
        {Qt::Key_Enter, KeyCode::keypadEnter, KeyCharacters::enter},
        {Qt::Key_Tab, KeyCode::tab, KeyCharacters::tab},
        {Qt::Key_Backtab, KeyCode::tab, KeyCharacters::backTab},
        {Qt::Key_Space, KeyCode::space, KeyCharacters::space},
        {Qt::Key_Escape, KeyCode::escape, KeyCharacters::escape},
        {Qt::Key_Up, KeyCode::upArrow, KeyCharacters::upArrow},
        {Qt::Key_Down, KeyCode::downArrow, KeyCharacters::downArrow},
        {Qt::Key_Left, KeyCode::leftArrow, KeyCharacters::leftArrow},
        {Qt::Key_Right, KeyCode::rightArrow, KeyCharacters::rightArrow},
    };
    Event e;
    e.type = key.type() == QEvent::KeyPress ? Event::Type::keyDown : Event::Type::keyUp;
    e.modifierFlags = modifiersOf(key.modifiers());
    e.timestamp = static_cast<double>(key.timestamp()) / 1000.0;
    for (const Named& n : named)
        if (key.key() == n.key) {
            e.keyCode = n.code;
            e.characters = e.charactersIgnoringModifiers = n.characters;
            return e;
        }
    switch (key.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
        e.type = Event::Type::flagsChanged;
        return e;
    default:
        break;
    }
    e.characters = key.text().toStdString();
    if (key.key() >= 0x20 && key.key() <= 0x7e)
        e.charactersIgnoringModifiers.assign(1, static_cast<char>(std::tolower(key.key())));
    else
        e.charactersIgnoringModifiers = e.characters;
    return e;
}

// The key views under `view`: its subviews that hold any, in reading order (rows from the top, each row from
// the left; a subview whose top lies above the middle of a row's first one belongs to that row), each
// followed by those inside it. Subviews without key views (backgrounds, decoration) shape no row.
void collectKeyViews(const View& view, std::vector<View*>& out)
{
    struct Placed {
        Rect rect;
        std::vector<View*> keyViews;
    };
    std::vector<Placed> placed;
    for (const auto& sub : view.subviews()) {
        if (sub->isHidden())
            continue;
        Placed p {sub->convertTo(sub->bounds(), nullptr), {}};
        if (sub->canBecomeKeyView())
            p.keyViews.push_back(sub.get());
        collectKeyViews(*sub, p.keyViews);
        if (!p.keyViews.empty())
            placed.push_back(std::move(p));
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.rect.maxY() > b.rect.maxY(); });
    for (auto row = placed.begin(); row != placed.end();) {
        const double middle = row->rect.midY();
        const auto end = std::find_if(row + 1, placed.end(), [&](const Placed& p) { return p.rect.maxY() <= middle; });
        std::stable_sort(row, end, [](const Placed& a, const Placed& b) { return a.rect.minX() < b.rect.minX(); });
        for (auto it = row; it != end; ++it)
            out.insert(out.end(), it->keyViews.begin(), it->keyViews.end());
        row = end;
    }
}

// The view and the views around it hear that its keyboard focus changed (a scroll view draws its
// document's ring).
void noteKeyboardFocus(Responder* responder)
{
    for (View* view = dynamic_cast<View*>(responder); view; view = view->superview())
        view->keyboardFocusDidChange();
}

void collectViews(View* view, std::vector<std::shared_ptr<View>>& out)
{
    if (!view)
        return;
    out.push_back(view->shared_from_this());
    for (auto& sub : view->subviews())
        collectViews(sub.get(), out);
}

} // namespace

Window::Window(const Rect& contentRect, unsigned styleMask, int, bool)
    : widget_(std::make_unique<detail::WindowWidget>(*this)), contentHolder_(std::make_unique<QWidget>()),
      styleMask_(styleMask)
{
    registry().windows.push_back(this);
    static bool followsApplicationState = false;
    if (!followsApplicationState && qGuiApp) {
        followsApplicationState = true;
        QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, qGuiApp,
            [](Qt::ApplicationState state) { applicationActivityDidChange(state == Qt::ApplicationActive); });
    }
    contentHolder_->setParent(widget_.get());
    contentHolder_->show();
    for (auto type : {ButtonType::closeButton, ButtonType::miniaturizeButton, ButtonType::zoomButton}) {
        auto button = std::make_shared<StandardButton>(type);
        button->qtWidget()->setParent(widget_.get());
        button->setWindowForContent(this);
        buttons_.push_back(button);
    }
    frame_ = frameRectForContentRect(contentRect);
    setContentView(std::make_shared<View>(Rect({0, 0}, contentRect.size)));
    applyQtGeometry();
}

Window::~Window()
{
    auto& r = registry();
    std::erase(r.windows, this);
    if (r.key == this)
        r.key = nullptr;
    if (contentView_) {
        contentView_->setWindowForContent(nullptr);
        contentView_->qtWidget()->setParent(nullptr);
    }
    for (auto& b : buttons_) {
        b->setWindowForContent(nullptr);
        b->qtWidget()->setParent(nullptr);
    }
    contentView_.reset();
    buttons_.clear();
    contentHolder_.reset();
    widget_.reset();
}

QWidget* Window::qtWidget() const { return widget_.get(); }

// Geometry.

Rect Window::contentRectForFrameRect(const Rect& f) const
{
    if ((styleMask_ & titled) && !(styleMask_ & fullSizeContentView) && !(styleMask_ & fullScreen))
        return {f.x(), f.y(), f.width(), std::max(0.0, f.height() - titleBarHeight)};
    return f;
}

Rect Window::frameRectForContentRect(const Rect& c) const
{
    if ((styleMask_ & titled) && !(styleMask_ & fullSizeContentView) && !(styleMask_ & fullScreen))
        return {c.x(), c.y(), c.width(), c.height() + titleBarHeight};
    return c;
}

Size Window::contentSize() const { return contentRectForFrameRect(frame_).size; }

void Window::setContentSize(Size size)
{
    const Rect content = contentRectForFrameRect(frame_);
    // The top edge stays where it is.
    const Rect newFrame = frameRectForContentRect({content.x(), content.rawMaxY() - size.height, size.width, size.height});
    setFrame(newFrame, true);
}

void Window::setFrame(const Rect& frame, bool display, bool)
{
    const bool resized = frame.size != frame_.size;
    const bool moved = frame.origin != frame_.origin;
    const double oldScale = moved ? backingScaleFactor() : 0;
    frame_ = frame;
    applyQtGeometry();
    if (resized)
        applyInputRect();
    if (resized && contentView_) {
        contentView_->setFrame(Rect({0, 0}, contentSize()));
        contentView_->applyQtGeometry();
    }
    if (display)
        displayIfNeeded();
    if (resized && delegate_)
        delegate_->windowDidResize(*this);
    if (moved && delegate_)
        delegate_->windowDidMove(*this);
    if (moved && contentView_ && backingScaleFactor() != oldScale)
        contentView_->propagateBackingPropertiesChange();
    windowDidChangeFrame();
}

void Window::setFrameOrigin(Point origin) { setFrame(Rect(origin, frame_.size), true); }

void Window::setFrameTopLeftPoint(Point p) { setFrame({p.x, p.y - frame_.height(), frame_.width(), frame_.height()}, true); }

void Window::applyQtGeometry()
{
    const Rect q = Screen::qtRectFromGlobal(frame_);
    const QRect geometry(static_cast<int>(std::lround(q.x())), static_cast<int>(std::lround(q.y())),
        static_cast<int>(std::lround(q.width())), static_cast<int>(std::lround(q.height())));
    if (widget_->geometry() != geometry)
        widget_->setGeometry(geometry);
    const Rect content = contentRectForFrameRect(frame_);
    contentHolder_->setGeometry(0, static_cast<int>(std::lround(frame_.height() - content.height())),
        static_cast<int>(std::lround(content.width())), static_cast<int>(std::lround(content.height())));
    layoutStrip();
}

void Window::layoutStrip()
{
    const bool shown = (styleMask_ & titled) && !(styleMask_ & fullScreen);
    const bool present[3] = {(styleMask_ & closable) != 0, (styleMask_ & miniaturizable) != 0,
        (styleMask_ & resizable) != 0 || (styleMask_ & titled) != 0};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto& b = buttons_[i];
        // Frames in window coordinates (y up), in the title strip.
        b->setFrame({8.0 + 20.0 * static_cast<double>(i), frame_.height() - titleBarHeight / 2 - 6, 12, 12});
        const QRectF g = QtBridge::childGeometry(b->frame(), Rect({0, 0}, frame_.size), false);
        b->qtWidget()->setGeometry(g.toRect());
        b->qtWidget()->raise();
        b->qtWidget()->setVisible(shown && present[i] && !b->isHidden());
    }
}

void Window::center()
{
    const Screen screen = Screen::placementMain();
    const Rect visible = screen.visibleFrame();
    const double x = visible.x() + (visible.width() - frame_.width()) / 2;
    const double free = visible.height() - frame_.height();
    // A third of the free height above the window, two thirds below.
    const double y = visible.y() + free * 2 / 3;
    setFrameOrigin({std::round(x), std::round(y)});
}

std::shared_ptr<Screen> Window::screen() const
{
    std::shared_ptr<Screen> best;
    double bestArea = 0;
    for (auto& s : Screen::screens()) {
        const double area = frame_.intersection(s->frame()).width() * frame_.intersection(s->frame()).height();
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    return best;
}

double Window::backingScaleFactor() const
{
    if (auto s = screen())
        return s->backingScaleFactor();
    return widget_->devicePixelRatioF();
}

Point Window::convertPointFromScreen(Point p) const { return {p.x - frame_.x(), p.y - frame_.y()}; }
Point Window::convertPointToScreen(Point p) const { return {p.x + frame_.x(), p.y + frame_.y()}; }
Rect Window::convertRectToScreen(const Rect& r) const { return r.offsetBy(frame_.x(), frame_.y()); }

void Window::setStyleMask(unsigned mask)
{
    const Rect content = contentRectForFrameRect(frame_);
    styleMask_ = mask;
    // The content keeps its place; the frame follows the strip.
    frame_ = frameRectForContentRect(content);
    applyQtGeometry();
    if (contentView_)
        contentView_->setFrame(Rect({0, 0}, contentSize()));
}

void Window::setContentView(std::shared_ptr<View> view)
{
    if (contentView_ == view)
        return;
    if (contentView_) {
        contentView_->setWindowForContent(nullptr);
        contentView_->qtWidget()->hide();
        contentView_->qtWidget()->setParent(nullptr);
    }
    contentView_ = std::move(view);
    if (!contentView_)
        return;
    contentView_->removeFromSuperview();
    contentView_->qtWidget()->setParent(contentHolder_.get());
    contentView_->setFrame(Rect({0, 0}, contentSize()));
    contentView_->setWindowForContent(this);
    contentView_->qtWidget()->setVisible(!contentView_->isHidden());
}

View* Window::standardWindowButton(ButtonType type) const
{
    const auto i = static_cast<std::size_t>(type);
    if (!(styleMask_ & titled) || i >= buttons_.size())
        return nullptr;
    return buttons_[i].get();
}

bool Window::isStandardWindowButtonEnabled(ButtonType type) const
{
    auto* button = dynamic_cast<StandardButton*>(standardWindowButton(type));
    return button && button->enabled_;
}

void Window::setStandardWindowButtonEnabled(ButtonType type, bool enabled)
{
    if (auto* button = dynamic_cast<StandardButton*>(standardWindowButton(type))) {
        button->enabled_ = enabled;
        button->setNeedsDisplay();
    }
}

void Window::setLevel(int level)
{
    level_ = level;
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, level > Level::normal);
}

void Window::setTitle(std::string title)
{
    title_ = std::move(title);
    widget_->setWindowTitle(QString::fromStdString(title_));
}

void Window::setTitlebarAppearsTransparent(bool value) { titlebarAppearsTransparent_ = value; }

void Window::setBackgroundColor(const Colour& colour)
{
    backgroundColor_ = colour;
    widget_->update();
}

void Window::setOpaque(bool opaque)
{
    opaque_ = opaque;
    widget_->setAttribute(Qt::WA_TranslucentBackground, !opaque);
    widget_->update();
}

void Window::setAlphaValue(double alpha)
{
    alpha_ = alpha;
    widget_->setWindowOpacity(std::clamp(alpha, 0.0, 1.0));
}

void Window::setIgnoresMouseEvents(bool value)
{
    ignoresMouseEvents_ = value;
    widget_->setWindowFlag(Qt::WindowTransparentForInput, value);
}

void Window::setInputRect(std::optional<Rect> rect)
{
    inputRect_ = rect;
    applyInputRect();
}

void Window::applyInputRect()
{
    if (!inputRect_) {
        widget_->clearMask();
        return;
    }
    // The window's shape on screen: input outside it goes to what lies behind.
    widget_->setMask(QtBridge::rect(QtBridge::flipped(*inputRect_, frame_.height())).toAlignedRect());
}

void Window::setAppearance(std::optional<Appearance> appearance)
{
    appearance_ = std::move(appearance);
    if (contentView_)
        contentView_->propagateAppearanceChange();
    widget_->update();
}

Appearance Window::effectiveAppearance() const { return appearance_ ? *appearance_ : Appearance::effectiveApplication(); }

// Ordering.

void Window::orderFront()
{
    visible_ = true;
    hiddenByDeactivation_ = false;
    miniaturized_ = false;
    applyQtGeometry();
    if (showsWithoutActivating())
        widget_->setAttribute(Qt::WA_ShowWithoutActivating, true);
    widget_->show();
    widget_->raise();
    AnimationClock::shared().update();
}

void Window::makeKeyAndOrderFront()
{
    orderFront();
    makeKey();
}

void Window::cancelMouseTracking()
{
    auto target = mouseDownView_.lock();
    mouseDownView_.reset();
    if (target)
        target->mouseTrackingCancelled();
}

void Window::orderOut()
{
    cancelMouseTracking();
    if (isKeyWindow())
        resignKey();
    visible_ = false;
    widget_->hide();
    AnimationClock::shared().update();
}

void Window::close()
{
    if (delegate_)
        delegate_->windowWillClose(*this);
    Foundation::NotificationCenter::defaultCenter().post(windowWillCloseNotification, this);
    orderOut();
}

bool Window::isKeyWindow() const { return registry().key == this; }

void Window::makeKey()
{
    auto& r = registry();
    if (r.key == this || !canBecomeKeyWindow())
        return;
    if (r.key)
        r.key->resignKey();
    r.key = this;
    if (!showsWithoutActivating())
        widget_->activateWindow();
    if (delegate_)
        delegate_->windowDidBecomeKey(*this);
    Foundation::NotificationCenter::defaultCenter().post(windowDidBecomeKeyNotification, this);
}

void Window::resignKey()
{
    auto& r = registry();
    if (r.key != this)
        return;
    r.key = nullptr;
    if (delegate_)
        delegate_->windowDidResignKey(*this);
    Foundation::NotificationCenter::defaultCenter().post(windowDidResignKeyNotification, this);
}

void Window::mouseDown(const Event&)
{
    if (!movableByBackground_)
        return;
    if (QWindow* handle = widget_->windowHandle())
        handle->startSystemMove();
}

void Window::windowWasHiddenByQt()
{
    if (!visible_)
        return;
    if (isKeyWindow())
        resignKey();
    visible_ = false;
    AnimationClock::shared().update();
}

bool Window::makeFirstResponder(Responder* responder)
{
    if (firstResponder_ == responder)
        return true;
    if (firstResponder_ && !firstResponder_->resignFirstResponder())
        return false;
    noteKeyboardFocus(std::exchange(firstResponder_, nullptr));
    if (responder && !responder->becomeFirstResponder())
        return false;
    firstResponder_ = responder;
    auto* view = dynamic_cast<View*>(responder);
    // Keys come to Kit again once the focus left a field editor.
    if (QWidget* focus = QApplication::focusWidget();
        focus && widget_->isAncestorOf(focus) && !(view && view->qtWidget()->isAncestorOf(focus)))
        widget_->setFocus(Qt::OtherFocusReason);
    noteKeyboardFocus(responder);
    if (view)
        detail::ViewAccessible::noteFocus(*view);
    return true;
}

std::vector<View*> Window::keyViewLoop() const
{
    std::vector<View*> loop;
    if (contentView_ && !contentView_->isHidden())
        collectKeyViews(*contentView_, loop);
    return loop;
}

void Window::selectNextKeyView()
{
    const std::vector<View*> loop = keyViewLoop();
    if (loop.empty())
        return;
    const auto at = std::find(loop.begin(), loop.end(), firstResponder_);
    selectKeyView(at == loop.end() || at + 1 == loop.end() ? loop.front() : *(at + 1));
}

void Window::selectPreviousKeyView()
{
    const std::vector<View*> loop = keyViewLoop();
    if (loop.empty())
        return;
    const auto at = std::find(loop.begin(), loop.end(), firstResponder_);
    selectKeyView(at == loop.end() || at == loop.begin() ? loop.back() : *(at - 1));
}

void Window::selectKeyView(View* view)
{
    // The focus shows where the view is scrolled into sight.
    if (makeFirstResponder(view))
        view->scrollRectToVisible(view->bounds());
}

void Window::setShowsFocusRing(bool shows)
{
    if (showsFocusRing_ == shows)
        return;
    showsFocusRing_ = shows;
    noteKeyboardFocus(firstResponder_);
}

bool Window::performKeyEquivalent(const Event& event)
{
    if (contentView_ && contentView_->performKeyEquivalent(event))
        return true;
    const std::shared_ptr<Menu>& menu = Application::shared().mainMenu();
    return menu && menu->performKeyEquivalent(event);
}

void Window::keyDown(const Event& event)
{
    if (event.keyCode != KeyCode::tab || (event.modifierFlags & (Event::command | Event::option | Event::control)))
        return;
    if (event.modifierFlags & Event::shift)
        selectPreviousKeyView();
    else
        selectNextKeyView();
}

bool Window::qtEditorHasFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && focus != widget_.get() && widget_->isAncestorOf(focus) && !dynamic_cast<detail::ViewWidget*>(focus);
}

void Window::miniaturize()
{
    miniaturized_ = true;
    widget_->showMinimized();
}

void Window::deminiaturize()
{
    miniaturized_ = false;
    if (visible_)
        widget_->showNormal();
}

void Window::toggleFullScreen()
{
    if (styleMask_ & fullScreen) {
        styleMask_ &= ~static_cast<unsigned>(fullScreen);
        widget_->showNormal();
    } else {
        styleMask_ |= fullScreen;
        widget_->showFullScreen();
    }
    layoutStrip();
}

std::vector<Window*> Window::windows() { return registry().windows; }
Window* Window::keyWindow() { return registry().key; }

bool Window::isApplicationActive()
{
    auto& r = registry();
    if (r.activeOverride)
        return *r.activeOverride;
    return r.key != nullptr || (qGuiApp && QGuiApplication::applicationState() == Qt::ApplicationActive);
}

void Window::setApplicationActiveForTesting(std::optional<bool> active) { registry().activeOverride = active; }

void Window::applicationActivityDidChange(bool active)
{
    for (Window* window : windows()) {
        if (!active && window->hidesOnDeactivate_ && window->visible_) {
            window->orderOut();
            window->hiddenByDeactivation_ = true;
        } else if (active && window->hiddenByDeactivation_) {
            window->hiddenByDeactivation_ = false;
            window->orderFront();
        }
    }
}

// Events.

void Window::sendEvent(const Event& input)
{
    // The application's local monitors see the event first and may change or swallow it.
    const std::optional<Event> monitored = EventMonitor::dispatchLocal(input);
    if (!monitored)
        return;
    Event event = *monitored;
    event.window = this;
    auto hit = [&]() -> std::shared_ptr<View> {
        const Point p = event.locationInWindow;
        for (auto& b : buttons_)
            if (b->qtWidget()->isVisibleTo(widget_.get()))
                if (View* v = b->hitTest(p))
                    return v->shared_from_this();
        if (contentView_)
            if (View* v = contentView_->hitTest(p))
                return v->shared_from_this();
        return nullptr;
    };
    const bool isMouse = event.type != Event::Type::keyDown && event.type != Event::Type::keyUp
        && event.type != Event::Type::flagsChanged;
    if (isMouse && ignoresMouseEvents_)
        return;
    const bool pointerEvent = isMouse && event.type != Event::Type::mouseExited;
    if (pointerEvent && inputRect_ && !inputRect_->contains(event.locationInWindow) && !mouseDownView_.lock())
        return;
    switch (event.type) {
    case Event::Type::leftMouseDown:
    case Event::Type::rightMouseDown:
    case Event::Type::otherMouseDown: {
        setShowsFocusRing(false);
        auto target = hit();
        mouseDownView_ = target;
        if (!target) {
            mouseDown(event);
            return;
        }
        if (target->acceptsFirstResponder() && target->becomesFirstResponderOnClick())
            makeFirstResponder(target.get());
        deliverButtonEvent(*target, event);
        return;
    }
    case Event::Type::leftMouseDragged:
    case Event::Type::rightMouseDragged:
    case Event::Type::otherMouseDragged:
        updateTracking(event);
        if (auto target = mouseDownView_.lock())
            target->mouseDragged(event);
        return;
    case Event::Type::leftMouseUp:
    case Event::Type::rightMouseUp:
    case Event::Type::otherMouseUp: {
        auto target = mouseDownView_.lock();
        mouseDownView_.reset();
        if (target)
            deliverButtonEvent(*target, event);
        return;
    }
    case Event::Type::mouseMoved:
        updateTracking(event);
        return;
    case Event::Type::mouseExited:
        exitAllTrackingAreas(event);
        return;
    case Event::Type::scrollWheel:
        if (auto target = hit())
            target->scrollWheel(event);
        return;
    case Event::Type::keyDown:
        setShowsFocusRing(true);
        if ((event.modifierFlags & Event::command) && performKeyEquivalent(event))
            return;
        if (firstResponder_)
            firstResponder_->keyDown(event);
        else
            keyDown(event);
        return;
    case Event::Type::keyUp:
        if (firstResponder_)
            firstResponder_->keyUp(event);
        return;
    default:
        return;
    }
}

void Window::updateTracking(const Event& event)
{
    std::vector<std::shared_ptr<View>> views;
    collectViews(contentView_.get(), views);
    struct Delivery {
        std::shared_ptr<TrackingArea> area;
        Event::Type type;
    };
    std::vector<Delivery> deliveries;
    for (auto& view : views) {
        const bool visible = !view->isHiddenOrHasHiddenAncestor();
        const Point local = view->convertFrom(event.locationInWindow, nullptr);
        for (auto& area : view->trackingAreas()) {
            const unsigned o = area->options();
            const bool active = (o & TrackingArea::activeAlways)
                || ((o & TrackingArea::activeInActiveApp) && isApplicationActive())
                || ((o & TrackingArea::activeInKeyWindow) && isKeyWindow())
                || ((o & TrackingArea::activeWhenFirstResponder) && firstResponder_ == view.get());
            if (!active)
                continue;
            const Rect rect = (o & TrackingArea::inVisibleRect) ? view->bounds() : area->rect();
            const bool inside = visible && rect.contains(local);
            if (inside != area->inside_) {
                area->inside_ = inside;
                if (o & TrackingArea::mouseEnteredAndExited)
                    deliveries.push_back({area, inside ? Event::Type::mouseEntered : Event::Type::mouseExited});
            }
            if (inside && (o & TrackingArea::mouseMoved) && event.type == Event::Type::mouseMoved)
                deliveries.push_back({area, Event::Type::mouseMoved});
        }
    }
    for (auto& d : deliveries) {
        Responder* owner = d.area->owner();
        if (!owner)
            continue;
        Event e = event;
        e.type = d.type;
        e.trackingArea = d.area.get();
        if (d.type == Event::Type::mouseEntered)
            owner->mouseEntered(e);
        else if (d.type == Event::Type::mouseExited)
            owner->mouseExited(e);
        else
            owner->mouseMoved(e);
    }
}

void Window::exitAllTrackingAreas(const Event& event)
{
    std::vector<std::shared_ptr<View>> views;
    collectViews(contentView_.get(), views);
    std::vector<std::shared_ptr<TrackingArea>> exited;
    for (auto& view : views)
        for (auto& area : view->trackingAreas())
            if (area->inside_) {
                area->inside_ = false;
                if (area->options() & TrackingArea::mouseEnteredAndExited)
                    exited.push_back(area);
            }
    for (auto& area : exited)
        if (Responder* owner = area->owner()) {
            Event e = event;
            e.type = Event::Type::mouseExited;
            e.trackingArea = area.get();
            owner->mouseExited(e);
        }
}

bool Window::handleQtEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
        displayIfNeeded();
        return false;
    case QEvent::Leave: {
        Event e;
        e.type = Event::Type::mouseExited;
        exitAllTrackingAreas(e);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        Event e;
        e.locationInWindow = {m->position().x(), frame_.height() - m->position().y()};
        e.modifierFlags = modifiersOf(m->modifiers());
        e.timestamp = static_cast<double>(m->timestamp()) / 1000.0;
        e.clickCount = event->type() == QEvent::MouseButtonDblClick ? 2 : 1;
        if (contentView_)
            if (View* target = contentView_->hitTest(e.locationInWindow); target && target->handlesQtMouseEvents())
                return false;
        const Qt::MouseButton button = m->button();
        const bool press = event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseMove;
        if (event->type() == QEvent::MouseMove) {
            if (m->buttons() & Qt::LeftButton) e.type = Event::Type::leftMouseDragged;
            else if (m->buttons() & Qt::RightButton) e.type = Event::Type::rightMouseDragged;
            else if (m->buttons() != Qt::NoButton) e.type = Event::Type::otherMouseDragged;
            else e.type = Event::Type::mouseMoved;
        } else if (button == Qt::LeftButton) {
            e.type = press ? Event::Type::leftMouseDown : Event::Type::leftMouseUp;
        } else if (button == Qt::RightButton) {
            e.type = press ? Event::Type::rightMouseDown : Event::Type::rightMouseUp;
            e.buttonNumber = 1;
        } else {
            e.type = press ? Event::Type::otherMouseDown : Event::Type::otherMouseUp;
            e.buttonNumber = 2;
        }
        sendEvent(e);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const Event e = keyEventOf(*static_cast<QKeyEvent*>(event));
        // A field editor types its keys; Tab and key equivalents are still the window's.
        if (e.keyCode != KeyCode::tab && qtEditorHasFocus())
            return e.type == Event::Type::keyDown && (e.modifierFlags & Event::command) && performKeyEquivalent(e);
        sendEvent(e);
        return true;
    }
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(event);
        Event e;
        e.type = Event::Type::scrollWheel;
        e.locationInWindow = {w->position().x(), frame_.height() - w->position().y()};
        e.modifierFlags = modifiersOf(w->modifiers());
        e.deltaX = w->angleDelta().x() / 120.0;
        e.deltaY = w->angleDelta().y() / 120.0;
        e.hasPreciseScrollingDeltas = !w->pixelDelta().isNull();
        e.scrollingDeltaX = e.hasPreciseScrollingDeltas ? w->pixelDelta().x() : e.deltaX * 10;
        e.scrollingDeltaY = e.hasPreciseScrollingDeltas ? w->pixelDelta().y() : e.deltaY * 10;
        e.isDirectionInvertedFromDevice = w->inverted();
        if (w->phase() == Qt::ScrollMomentum)
            e.momentumPhase = Event::phaseChanged;
        else
            e.phase = phaseOf(w->phase());
        sendEvent(e);
        return true;
    }
    default:
        return false;
    }
}

void Window::displayIfNeeded()
{
    if (contentView_)
        contentView_->displayIfNeeded();
    for (auto& b : buttons_)
        b->displayIfNeeded();
}

Image Window::render(double scale)
{
    displayIfNeeded();
    return QtBridge::paintedImage(frame_.size, scale,
        // The whole window, also where an input rect masks it (Qt would move the masked part to the origin).
        [&](QImage& pixels) { widget_->render(&pixels, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask); });
}

} // namespace Kit
