#include "Classes/Configure/Global/NextLog.h"

namespace Aerlo {

NextLog::NextLog(LogWriter writer) : LogFileManager(writer) {}

NextLog::NextLog(std::shared_ptr<const QVToolsKit::Writer> writer, std::optional<std::string> category)
    : LogFileManager(std::move(writer), std::move(category))
{
}

void NextLog::fault(std::string_view message, const NextLog& log, std::string_view file, std::uint64_t line)
{
    error(message, log, file, line);
}

} // namespace Aerlo

template class QVToolsKit::LogFileManager<Aerlo::NextLog>;
