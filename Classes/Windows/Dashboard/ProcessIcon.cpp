#include "Classes/Windows/Dashboard/ProcessIcon.h"

#include "Classes/Configure/SystemKit/ProcessApplication.h"
#include "Classes/Configure/SystemKit/Process_p.h"
#include "Platform/Kit/WorkspaceIcon.h"

namespace Aerlo {

Kit::Image ProcessIcon::icon(const Process_p& process)
{
    if (const auto application = ProcessApplication::forProcess(process.pid()); application && !application->iconFile.empty())
        if (Kit::Image image = Kit::Image::fromFile(application->iconFile); image.isValid())
            return image;
    return Kit::WorkspaceIcon::iconForFile("/bin/bash");
}

} // namespace Aerlo
