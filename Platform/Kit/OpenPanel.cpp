#include "Platform/Kit/OpenPanel.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/OpenPanelPresenter.h"

namespace Kit {

ModalResponse OpenPanel::runModal()
{
    urls_.clear();
    const std::shared_ptr<OpenPanelPresenter> presenter = OpenPanelPresenter::shared();
    Foundation::RunLoop::ModeScope modal = Foundation::RunLoop::main().enterMode(Foundation::RunLoop::Mode::modal);
    return presenter->run(*this);
}

} // namespace Kit
