#include "Classes/Configure/Global/QVFileAdministrator.h"

#include "QVToolsKit/QVFileAdministrator.h"

namespace Aerlo {

bool QVFileAdministrator::checkFileAreEqual(const std::filesystem::path& sourcePath,
                                            const std::filesystem::path& destinationPath)
{
    return QVToolsKit::QVFileAdministrator::checkFileAreEqual(sourcePath, destinationPath);
}

} // namespace Aerlo
