#include "QVToolsKit/UI/TransparentWindow.h"

#include "Platform/Kit/View.h"

namespace QVToolsKit {

std::unique_ptr<Kit::Window> makeTransparentWindow()
{
    constexpr unsigned style = Kit::Window::titled | Kit::Window::closable | Kit::Window::miniaturizable
        | Kit::Window::fullSizeContentView;
    constexpr int bufferedBacking = 2;
    auto window = std::make_unique<Kit::Window>(Kit::Rect{0, 0, 0, 0}, style, bufferedBacking, true);
    window->setTitlebarAppearsTransparent(true);
    for (auto type : {Kit::Window::ButtonType::miniaturizeButton, Kit::Window::ButtonType::closeButton,
             Kit::Window::ButtonType::zoomButton})
        if (Kit::View* button = window->standardWindowButton(type))
            button->setHidden(true);
    window->setBackgroundColor(Kit::Colour::clear());
    window->setOpaque(false);
    window->setMovableByWindowBackground(true);
    return window;
}

} // namespace QVToolsKit
