#include "Platform/Kit/OpenPanelPresenter.h"

#include "Platform/Kit/QtOpenPanelPresenter.h"
#include "Platform/Kit/SharedPresenter.h"

namespace Kit {

namespace {

SharedPresenter<OpenPanelPresenter>& instance()
{
    static SharedPresenter<OpenPanelPresenter> shared([] { return std::make_shared<QtOpenPanelPresenter>(); });
    return shared;
}

} // namespace

std::shared_ptr<OpenPanelPresenter> OpenPanelPresenter::shared()
{
    return instance().get();
}

void OpenPanelPresenter::replaceShared(std::shared_ptr<OpenPanelPresenter> presenter)
{
    instance().replace(std::move(presenter));
}

} // namespace Kit
