#pragma once

#include "QVToolsKit/LogFileManager.h"
#include "QVToolsKit/QVToolsKitExport.h"

namespace QVToolsKit {

// The framework's logger.
class QVTOOLSKIT_EXPORT QVLogFileManager : public LogFileManager<QVLogFileManager> {
public:
    explicit QVLogFileManager(LogWriter writer);

    // Removes "log.txt" once it is at least `afterSeconds` old, saying what it did.
    using BasicLogFileManager::deleteLogFile;

private:
    friend class LogFileManager<QVLogFileManager>;
    QVLogFileManager(std::shared_ptr<const Writer> writer, std::optional<std::string> category);
};

extern template class LogFileManager<QVLogFileManager>;

} // namespace QVToolsKit
