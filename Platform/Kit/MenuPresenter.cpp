#include "Platform/Kit/MenuPresenter.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/QtMenuPresenter.h"

namespace Kit {

namespace {

using Shared = std::shared_ptr<MenuPresenter>;

Foundation::SharedInstance<Shared>& instance()
{
    static Foundation::SharedInstance<Shared> shared(
        [](void* storage) { new (storage) Shared(std::make_shared<QtMenuPresenter>()); });
    return shared;
}

} // namespace

std::shared_ptr<MenuPresenter> MenuPresenter::shared()
{
    return instance().get();
}

void MenuPresenter::setShared(std::shared_ptr<MenuPresenter> presenter)
{
    if (presenter)
        instance().resetForTesting([presenter](void* storage) { new (storage) Shared(presenter); });
    else
        instance().resetForTesting();
}

} // namespace Kit
