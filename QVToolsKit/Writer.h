#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <optional>
#include <string_view>

namespace QVToolsKit {

// The kind of stream a logger writes to.
enum class LogWriter : int {
    standardOutput = 0,
    standardError = 1,
    file = 2,
};

constexpr int rawValue(LogWriter writer) { return static_cast<int>(writer); }

constexpr std::optional<LogWriter> logWriterFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 2)
        return std::nullopt;
    return static_cast<LogWriter>(rawValue);
}

// An output stream a logger hands its lines to, one whole line per call.
class QVTOOLSKIT_EXPORT Writer {
public:
    virtual ~Writer() = default;
    virtual void write(std::string_view text) const = 0;
    virtual LogWriter type() const = 0;
};

} // namespace QVToolsKit
