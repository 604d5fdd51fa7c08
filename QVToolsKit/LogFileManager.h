#pragma once

#include "QVToolsKit/BasicLogFileManager.h"

#include <source_location>

namespace QVToolsKit {

// The logger's public face, written once and instantiated per logger class (QVLogFileManager,
// the application's NextLog): each `Derived` has its own shared instance.
template <class Derived>
class LogFileManager : public BasicLogFileManager {
public:
    // Made on first use; writes to standard output, no category.
    static Derived& shared()
    {
        static Derived instance(LogWriter::standardOutput);
        return instance;
    }

    // Puts the shared logger back to standard output (tests).
    static void resetShared() { shared().setWriter(LogWriter::standardOutput); }

    // A logger with the given category writing where the *shared* logger writes now,
    // whichever logger this is called on.
    Derived copy(std::optional<std::string> category) const
    {
        return Derived(shared().writer(), std::move(category));
    }

    // log() with the options LogOption::new_() at the named level.
    static void debug(std::string_view message, const Derived& log = shared(),
                      std::string_view file = std::source_location::current().file_name(),
                      std::uint64_t line = std::source_location::current().line())
    {
        log.log(LogLevel::debug, LogOption::new_(), message, file, line);
    }

    static void info(std::string_view message, const Derived& log = shared(),
                     std::string_view file = std::source_location::current().file_name(),
                     std::uint64_t line = std::source_location::current().line())
    {
        log.log(LogLevel::info, LogOption::new_(), message, file, line);
    }

    static void error(std::string_view message, const Derived& log = shared(),
                      std::string_view file = std::source_location::current().file_name(),
                      std::uint64_t line = std::source_location::current().line())
    {
        log.log(LogLevel::error, LogOption::new_(), message, file, line);
    }

protected:
    using BasicLogFileManager::BasicLogFileManager;
};

} // namespace QVToolsKit
