#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/ModalResponse.h"

#include <memory>

namespace Kit {

class OpenPanel;

// Runs open panels: a Qt file dialog in the application; tests install a ScriptedOpenPanelPresenter.
class AERLO_KIT_EXPORT OpenPanelPresenter {
public:
    virtual ~OpenPanelPresenter() = default;
    // Shows the panel and waits; sets the chosen files on OK.
    virtual ModalResponse run(OpenPanel& panel) = 0;

    static std::shared_ptr<OpenPanelPresenter> shared();
    // Null goes back to the Qt presenter.
    static void replaceShared(std::shared_ptr<OpenPanelPresenter> presenter);
};

} // namespace Kit
