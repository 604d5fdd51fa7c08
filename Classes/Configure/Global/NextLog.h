#pragma once

#include "QVToolsKit/LogFileManager.h"

namespace Aerlo {

using QVToolsKit::LogLevel;
using QVToolsKit::LogOption;
using QVToolsKit::LogWriter;

// The application's logger: the framework's logger under its own name and shared instance,
// without the log file's deletion, with one more error-level shorthand.
class NextLog : public QVToolsKit::LogFileManager<NextLog> {
public:
    explicit NextLog(LogWriter writer);

    // The same as error().
    static void fault(std::string_view message, const NextLog& log = shared(),
                      std::string_view file = std::source_location::current().file_name(),
                      std::uint64_t line = std::source_location::current().line());

private:
    friend class QVToolsKit::LogFileManager<NextLog>;
    NextLog(std::shared_ptr<const QVToolsKit::Writer> writer, std::optional<std::string> category);
};

} // namespace Aerlo

extern template class QVToolsKit::LogFileManager<Aerlo::NextLog>;
