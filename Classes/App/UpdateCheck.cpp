#include "Classes/App/UpdateCheck.h"

#include "Platform/Foundation/SharedInstance.h"

#include <mutex>

namespace Aerlo {

namespace {

struct Slot {
    std::mutex mutex;
    UpdateCheck::Handler handler;
};

Slot& slot()
{
    static Foundation::SharedInstance<Slot> instance;
    return instance.get();
}

} // namespace

void UpdateCheck::install(Handler handler)
{
    std::lock_guard lock(slot().mutex);
    slot().handler = std::move(handler);
}

bool UpdateCheck::isInstalled()
{
    std::lock_guard lock(slot().mutex);
    return static_cast<bool>(slot().handler);
}

bool UpdateCheck::run()
{
    Handler handler;
    {
        std::lock_guard lock(slot().mutex);
        handler = slot().handler;
    }
    if (!handler)
        return false;
    handler();
    return true;
}

} // namespace Aerlo
