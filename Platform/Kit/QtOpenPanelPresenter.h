#pragma once

#include "Platform/Kit/OpenPanel.h"
#include "Platform/Kit/OpenPanelPresenter.h"

namespace Kit {

// Runs open panels as Qt file dialogs.
class QtOpenPanelPresenter final : public OpenPanelPresenter {
public:
    ModalResponse run(OpenPanel& panel) override;
};

} // namespace Kit
