#include "Platform/Kit/Alert.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/KeyCode.h"

namespace Kit {

AlertButton& Alert::addButton(std::string title)
{
    buttons_.push_back({std::move(title), {}, StateValue::off});
    // The first button answers Return, as the default button.
    if (buttons_.size() == 1)
        buttons_.front().keyEquivalent = KeyCharacters::returnKey;
    else if (buttons_.back().title == "Cancel")
        buttons_.back().keyEquivalent = KeyCharacters::escape;
    return buttons_.back();
}

std::vector<std::string> Alert::shownButtonTitles() const
{
    if (buttons_.empty())
        return {defaultButtonTitle};
    std::vector<std::string> titles;
    for (const auto& button : buttons_)
        titles.push_back(button.title);
    return titles;
}

std::optional<std::size_t> Alert::cancelButtonIndex() const
{
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].keyEquivalent == KeyCharacters::escape)
            return i;
    if (shownButtonTitles().size() == 1)
        return 0;
    return std::nullopt;
}

ModalResponse Alert::runModal()
{
    const std::shared_ptr<AlertPresenter> presenter = AlertPresenter::shared();
    Foundation::RunLoop::ModeScope modal = Foundation::RunLoop::main().enterMode(Foundation::RunLoop::Mode::modal);
    return presenter->runModal(*this);
}

void Alert::beginSheetModal(Window* window, std::function<void(ModalResponse)> completion)
{
    AlertPresenter::shared()->beginSheet(*this, window, std::move(completion));
}

} // namespace Kit
