#include "Classes/Views/PageView.h"

#include "Classes/Views/InitialViewController.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/TextField.h"

#include <algorithm>

namespace Aerlo {

namespace {

constexpr double margin = 30;
constexpr double buttonHeight = 32;

} // namespace

PageView::PageView(const std::string& title, const std::string& body)
    : Kit::View(Kit::Rect {0, 0, InitialViewController::paneWidth, InitialViewController::paneHeight}),
      buttonRowY_(InitialViewController::paneHeight - 142), nextButtonX_(margin)
{
    const double width = InitialViewController::paneWidth - 2 * margin;
    const double top = InitialViewController::paneHeight;
    title_ = makeTitle(title);
    addSubview(title_);
    auto text = Kit::TextField::labelWithString(body);
    text->setTextColor(Kit::Colour::secondaryLabelColor());
    text->setFrame({margin, top - 92, width, 20});
    addSubview(text);
}

std::shared_ptr<Kit::TextField> PageView::makeTitle(const std::string& title)
{
    auto field = Kit::TextField::labelWithString(title);
    field->setFont(Kit::Font::boldSystemFont(20));
    field->setFrame(
        {margin, InitialViewController::paneHeight - 62, InitialViewController::paneWidth - 2 * margin, 28});
    return field;
}

std::shared_ptr<Kit::Button> PageView::addButton(const std::string& title, Kit::Control::Action action)
{
    auto button = Kit::Button::button(title, std::move(action));
    const double width = std::max(150.0, Kit::Font::systemFont(Kit::Font::systemFontSize).widthOf(title) + 40);
    button->setFrame({nextButtonX_, buttonRowY_, width, buttonHeight});
    nextButtonX_ += width + 12;
    addSubview(button);
    return button;
}

} // namespace Aerlo
