#include "tests/Support/Kit/ScriptedOpenPanelPresenter.h"

namespace Kit {

ModalResponse ScriptedOpenPanelPresenter::run(OpenPanel& panel)
{
    shown_.push_back(panel);
    if (answers_.empty()) {
        ++failures_;
        return ModalResponseCancel;
    }
    std::optional<std::vector<std::filesystem::path>> answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer)
        return ModalResponseCancel;
    panel.setURLs(std::move(*answer));
    return ModalResponseOK;
}

} // namespace Kit
