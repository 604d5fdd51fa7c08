#include "Classes/Configure/SystemKit/Dashboard/ProcessIcon.h"

#include "Classes/Configure/SystemKit/Process_p.h"
#include "Platform/Kit/WorkspaceIcon.h"

namespace Aerlo {

Kit::Image ProcessIcon::icon(const Process_p&)
{
    return Kit::WorkspaceIcon::iconForFile("/bin/bash");
}

} // namespace Aerlo
