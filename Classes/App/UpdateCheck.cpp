#include "Classes/App/UpdateCheck.h"

#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

namespace {

Foundation::LockedValue<UpdateCheck::Handler>& slot()
{
    static Foundation::SharedInstance<Foundation::LockedValue<UpdateCheck::Handler>> instance;
    return instance.get();
}

} // namespace

void UpdateCheck::replace(Handler handler)
{
    slot().set(std::move(handler));
}

bool UpdateCheck::isInstalled()
{
    return static_cast<bool>(slot().get());
}

bool UpdateCheck::run()
{
    const Handler handler = slot().get();
    if (!handler)
        return false;
    handler();
    return true;
}

} // namespace Aerlo
