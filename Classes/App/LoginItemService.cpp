#include "Classes/App/LoginItemService.h"

#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

namespace {

// Empty until the program puts a service in.
Foundation::SharedInstance<std::shared_ptr<LoginItemService>>& slot()
{
    static Foundation::SharedInstance<std::shared_ptr<LoginItemService>> instance(
        [] { return std::shared_ptr<LoginItemService>(); });
    return instance;
}

} // namespace

std::shared_ptr<LoginItemService> LoginItemService::installed()
{
    return slot().get();
}

void LoginItemService::replace(std::shared_ptr<LoginItemService> service)
{
    slot().replace(std::move(service));
}

} // namespace Aerlo
