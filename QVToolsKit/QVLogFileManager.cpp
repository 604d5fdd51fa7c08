#include "QVToolsKit/QVLogFileManager.h"

namespace QVToolsKit {

QVLogFileManager::QVLogFileManager(LogWriter writer) : LogFileManager(writer) {}

QVLogFileManager::QVLogFileManager(std::shared_ptr<const Writer> writer, std::optional<std::string> category)
    : LogFileManager(std::move(writer), std::move(category))
{
}

template class LogFileManager<QVLogFileManager>;

} // namespace QVToolsKit
