#include "Platform/Kit/Alert.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/AlertPresenter.h"

namespace Kit {

AlertButton& Alert::addButton(std::string title)
{
    buttons_.push_back({std::move(title), {}, StateValue::off});
    // The first button answers Return, as the default button.
    if (buttons_.size() == 1)
        buttons_.front().keyEquivalent.assign(1, '\r');
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
