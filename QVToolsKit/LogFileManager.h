#pragma once

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/BasicLogFileManager.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <source_location>

namespace QVToolsKit {

// The logger's public face, written once and instantiated per logger class (QVLogFileManager,
// the application's NextLog): each `Derived` has its own shared instance.
template <class Derived>
class QVTOOLSKIT_EXPORT LogFileManager : public BasicLogFileManager {
public:
    // Made on first use from any thread; writes to standard output, no category. It stays at one
    // address for the life of the process (never destroyed at exit, so late lines are safe): callers
    // may keep the reference for the life of the app.
    static Derived& shared() { return sharedInstance().get(); }

    // A logger with the given category writing where the *shared* logger writes now,
    // whichever logger this is called on.
    Derived copy(std::optional<std::string> category) const { return Derived(shared().writer(), std::move(category)); }

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

private:
    static Foundation::SharedInstance<Derived>& sharedInstance()
    {
        static Foundation::SharedInstance<Derived> instance(
            [](void* storage) { new (storage) Derived(LogWriter::standardOutput); });
        return instance;
    }

    friend struct ::TestAccess;
    // Tests, while no other thread logs through it: the shared logger is rebuilt in place, writing to
    // standard output; references taken before stay valid.
    static void resetForTesting() { sharedInstance().resetForTesting(); }
};

} // namespace QVToolsKit
