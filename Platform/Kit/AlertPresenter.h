#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/ModalResponse.h"

#include <functional>
#include <memory>

namespace Kit {

class Alert;
class Window;

// Shows alerts. The application's presenter uses Qt dialogs; tests install a ScriptedAlertPresenter. With
// AERLO_ALERT_RESPONSES set (a comma-separated list of responses, for headless runs) the shared presenter
// answers from that list instead of showing anything.
class AERLO_KIT_EXPORT AlertPresenter {
public:
    virtual ~AlertPresenter() = default;

    // Shows the alert modally and returns the response; sets the suppression button's state. The caller
    // has put the run loop in its modal mode.
    virtual ModalResponse runModal(Alert& alert) = 0;
    // Shows the alert as a sheet on `window` and returns at once; `completion` runs later on the main queue.
    virtual void beginSheet(Alert& alert, Window* window, std::function<void(ModalResponse)> completion) = 0;

    static std::shared_ptr<AlertPresenter> shared();
    // Replaces the shared presenter; null goes back to the default one.
    static void replaceShared(std::shared_ptr<AlertPresenter> presenter);
};

} // namespace Kit
