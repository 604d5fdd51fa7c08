#include "QVToolsKit/UI/AlertExtension.h"

#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

namespace QVToolsKit {

namespace {

std::shared_ptr<Kit::Alert> build(Kit::AlertStyle style, const std::string& title, const std::optional<std::string>& message,
    const std::shared_ptr<Kit::View>& accessoryView, const std::optional<std::string>& checkbox,
    const std::vector<std::string>& buttons)
{
    auto alert = std::make_shared<Kit::Alert>();
    alert->setMessageText(title);
    alert->setAlertStyle(style);
    if (message)
        alert->setInformativeText(*message);
    alert->setAccessoryView(accessoryView.get());
    if (checkbox) {
        alert->setShowsSuppressionButton(true);
        alert->suppressionButton().title = *checkbox;
    }
    for (const auto& button : buttons)
        alert->addButton(button);
    return alert;
}

bool checked(const Kit::Alert& alert)
{
    return alert.showsSuppressionButton() && alert.suppressionButton().state == Kit::StateValue::on;
}

// Runs the alert as a sheet on the window, or modally without one; `ended` gets the response. The sheet's
// completion keeps the alert and its accessory view alive.
void present(Kit::Window* window, std::shared_ptr<Kit::Alert> alert, std::shared_ptr<Kit::View> accessoryView,
    std::function<void(const Kit::Alert&, Kit::ModalResponse)> ended)
{
    if (!window) {
        ended(*alert, alert->runModal());
        return;
    }
    Kit::Alert& shown = *alert;
    shown.beginSheetModal(window, [alert, accessoryView, ended](Kit::ModalResponse response) { ended(*alert, response); });
}

} // namespace

long buttonIndex(const Kit::Alert& alert, Kit::ModalResponse response)
{
    const auto shown = static_cast<long>(alert.shownButtonTitles().size());
    const long index = response - Kit::AlertFirstButtonReturn;
    return index >= 0 && index < shown ? index : -1;
}

void show(Kit::Window* window, Kit::AlertStyle style, const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::vector<std::string>& buttons, std::function<void(long)> handler)
{
    auto alert = build(style, title, message, accessoryView, std::nullopt, buttons);
    present(window, alert, accessoryView, [handler](const Kit::Alert& a, Kit::ModalResponse response) {
        const long index = buttonIndex(a, response);
        if (index >= 0 && handler)
            handler(index);
    });
}

void show(Kit::Window* window, Kit::AlertStyle style, const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::string& checkbox, const std::vector<std::string>& buttons,
    std::function<void(long, bool)> handler)
{
    auto alert = build(style, title, message, accessoryView, checkbox, buttons);
    present(window, alert, accessoryView, [handler](const Kit::Alert& a, Kit::ModalResponse response) {
        const long index = buttonIndex(a, response);
        if (index >= 0 && handler)
            handler(index, checked(a));
    });
}

long show(const std::string& title, const std::optional<std::string>& message, std::shared_ptr<Kit::View> accessoryView,
    const std::vector<std::string>& buttons)
{
    auto alert = build(Kit::AlertStyle::warning, title, message, accessoryView, std::nullopt, buttons);
    return buttonIndex(*alert, alert->runModal());
}

std::pair<long, bool> show(const std::string& title, const std::optional<std::string>& message,
    std::shared_ptr<Kit::View> accessoryView, const std::string& checkbox, const std::vector<std::string>& buttons)
{
    auto alert = build(Kit::AlertStyle::warning, title, message, accessoryView, checkbox, buttons);
    const long index = buttonIndex(*alert, alert->runModal());
    return {index, checked(*alert)};
}

} // namespace QVToolsKit
