#include "Classes/App/LoginItemService.h"

#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

namespace {

Foundation::LockedValue<std::shared_ptr<LoginItemService>>& slot()
{
    static Foundation::SharedInstance<Foundation::LockedValue<std::shared_ptr<LoginItemService>>> instance;
    return instance.get();
}

} // namespace

std::shared_ptr<LoginItemService> LoginItemService::installed()
{
    return slot().get();
}

void LoginItemService::install(std::shared_ptr<LoginItemService> service)
{
    slot().set(std::move(service));
}

} // namespace Aerlo
