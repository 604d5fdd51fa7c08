#pragma once

#include "Platform/Kit/AlertPresenter.h"

namespace Kit {

// Shows alerts as Qt message boxes: modal with a nested event loop, or window-modal for sheets.
class QtAlertPresenter final : public AlertPresenter {
public:
    ModalResponse runModal(Alert& alert) override;
    void beginSheet(Alert& alert, Window* window, std::function<void(ModalResponse)> completion) override;
};

} // namespace Kit
