#include "Classes/App/LoginItemService.h"

#include "Platform/Foundation/SharedInstance.h"

#include <mutex>

namespace Aerlo {

namespace {

struct Slot {
    std::mutex mutex;
    std::shared_ptr<LoginItemService> service;
};

Slot& slot()
{
    static Foundation::SharedInstance<Slot> instance;
    return instance.get();
}

} // namespace

std::shared_ptr<LoginItemService> LoginItemService::installed()
{
    std::lock_guard lock(slot().mutex);
    return slot().service;
}

void LoginItemService::install(std::shared_ptr<LoginItemService> service)
{
    std::lock_guard lock(slot().mutex);
    slot().service = std::move(service);
}

} // namespace Aerlo
