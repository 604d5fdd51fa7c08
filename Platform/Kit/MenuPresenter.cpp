#include "Platform/Kit/MenuPresenter.h"

#include "Platform/Kit/QtMenuPresenter.h"
#include "Platform/Kit/SharedPresenter.h"

namespace Kit {

namespace {

SharedPresenter<MenuPresenter>& instance()
{
    static SharedPresenter<MenuPresenter> shared([] { return std::make_shared<QtMenuPresenter>(); });
    return shared;
}

} // namespace

std::shared_ptr<MenuPresenter> MenuPresenter::shared()
{
    return instance().get();
}

void MenuPresenter::replaceShared(std::shared_ptr<MenuPresenter> presenter)
{
    instance().replace(std::move(presenter));
}

} // namespace Kit
