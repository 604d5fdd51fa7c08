#include "Classes/App/VIZevUri.h"

#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

VIZevUri& VIZevUri::shared()
{
    static Foundation::SharedInstance<VIZevUri> instance;
    return instance.get();
}

} // namespace Aerlo
