#include "QVToolsKit/UI/QVWindowManager.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"

namespace QVToolsKit {

namespace {

constexpr int mainMenuLevel = 24;

void setButtons(Kit::Window* window, const std::vector<QVWindowManager::ButtonType>& types,
    const std::function<void(Kit::Window&, QVWindowManager::ButtonType, Kit::View&)>& change)
{
    if (!window)
        return;
    for (auto type : types)
        if (Kit::View* button = window->standardWindowButton(type))
            change(*window, type, *button);
}

} // namespace

QVWindowManager& QVWindowManager::shared()
{
    static Foundation::SharedInstance<QVWindowManager> instance;
    return instance.get();
}

void QVWindowManager::setWindowLevel(Kit::Window* window, bool isOnTop)
{
    if (window)
        window->setLevel(isOnTop ? mainMenuLevel + 1 : Kit::Window::Level::normal);
}

void QVWindowManager::hideStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types)
{
    setButtons(window, types, [](Kit::Window&, ButtonType, Kit::View& b) { b.setHidden(true); });
}

void QVWindowManager::showStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types)
{
    setButtons(window, types, [](Kit::Window&, ButtonType, Kit::View& b) { b.setHidden(false); });
}

void QVWindowManager::disableStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types)
{
    setButtons(window, types,
        [](Kit::Window& w, ButtonType type, Kit::View&) { w.setStandardWindowButtonEnabled(type, false); });
}

void QVWindowManager::setMovableByBackground(Kit::Window* window, bool isMovable)
{
    if (window)
        window->setMovableByWindowBackground(isMovable);
}

void QVWindowManager::setStyleBit(Kit::Window* window, unsigned bit, bool on)
{
    if (!window)
        return;
    unsigned mask = window->styleMask() & ~bit;
    if (on)
        mask |= bit;
    window->setStyleMask(mask);
}

void QVWindowManager::setResizable(Kit::Window* window, bool isResizable)
{
    setStyleBit(window, Kit::Window::resizable, isResizable);
}

void QVWindowManager::setMinimizable(Kit::Window* window, bool isMinimizable)
{
    setStyleBit(window, Kit::Window::miniaturizable, isMinimizable);
}

void QVWindowManager::setCornerRadius(Kit::Window* window, double radius)
{
    if (!window || !window->contentView())
        return;
    auto& view = *window->contentView();
    view.setWantsLayer(true);
    view.layer().setCornerRadius(radius);
    view.layer().setMasksToBounds(true);
}

void QVWindowManager::setHasShadow(Kit::Window* window, bool hasShadow)
{
    if (window)
        window->setHasShadow(hasShadow);
}

void QVWindowManager::setBorderlessStyle(Kit::Window* window)
{
    if (!window)
        return;
    window->setStyleMask(Kit::Window::borderless);
    window->setOpaque(false);
    window->setBackgroundColor(Kit::Colour::clear());
}

void QVWindowManager::centerWindow(Kit::Window* window)
{
    if (window)
        window->center();
}

void QVWindowManager::setAlpha(Kit::Window* window, double alpha)
{
    if (window)
        window->setAlphaValue(alpha);
}

void QVWindowManager::setHidesOnDeactivate(Kit::Window* window, bool enabled)
{
    if (window)
        window->setHidesOnDeactivate(enabled);
}

double QVWindowManager::getBackingScaleFactor(const Kit::Window* window)
{
    if (window)
        return window->backingScaleFactor();
    if (auto screen = Kit::Screen::main())
        return screen->backingScaleFactor();
    return 1.0;
}

void QVWindowManager::setIgnoresMouseEvents(Kit::Window* window, bool ignores)
{
    if (window)
        window->setIgnoresMouseEvents(ignores);
}

void QVWindowManager::saveWindowFrame(const Kit::Window* window, std::string_view key)
{
    if (window)
        (void)Foundation::UserDefaults::standard().set(Kit::stringFromRect(window->frame()), key);
}

void QVWindowManager::restoreWindowFrame(Kit::Window* window, std::string_view key)
{
    if (!window)
        return;
    const auto text = Foundation::UserDefaults::standard().string(key);
    if (!text)
        return;
    const Kit::Rect frame = Kit::rectFromString(*text);
    // A damaged or foreign value would leave a window with no size, which vanishes.
    if (!(frame.width() > 0) || !(frame.height() > 0))
        return;
    window->setFrame(frame, true);
}

} // namespace QVToolsKit
