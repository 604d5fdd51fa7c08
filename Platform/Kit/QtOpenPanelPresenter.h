#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/OpenPanel.h"
#include "Platform/Kit/OpenPanelPresenter.h"

namespace Kit {

// Runs open panels as Qt file dialogs.
class AERLO_KIT_EXPORT QtOpenPanelPresenter final : public OpenPanelPresenter {
public:
    ModalResponse run(OpenPanel& panel) override;
};

} // namespace Kit
