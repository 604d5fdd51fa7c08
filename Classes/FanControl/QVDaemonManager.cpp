#include "Classes/FanControl/QVDaemonManager.h"

#include "Classes/Configure/Global/QVFileAdministrator.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/System/HelperPaths.h"

#include <string>

namespace Aerlo {

void QVDaemonManager::checkHelperUpdate()
{
    const auto source = Foundation::Paths::resolve("/Applications/Aerlo.app/Contents/Library/LaunchServices/"
                                                   + std::string(SMCHelper::label));
    const auto destination = SystemPlatform::HelperPaths::installedProgram(SMCHelper::label);
    if (QVFileAdministrator::checkFileAreEqual(source, destination))
        return;
    Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + updateDelaySeconds, [] {
        if (auto proxy = SMCHelper::shared()->helperProxy())
            proxy->update();
    });
}

} // namespace Aerlo
