#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/QVAppRunEnvironment.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace QVToolsKit {

// Tells the distribution channel from the signing authorities that "/usr/bin/codesign" reports for the
// main bundle.
class QVTOOLSKIT_EXPORT QVAppEnvironmentDetector {
public:
    // Made on first use; its IsTesting is decided then and kept.
    static const QVAppEnvironmentDetector& shared();

    // A TestFlight or development build.
    bool IsTesting() const { return isTesting_; }

    // Runs the signing tool anew on every call; `other` when it fails (with a printed line), reports no
    // authority, or reports none that is known.
    static QVAppRunEnvironment currentEnvironment();

private:
    friend struct QVAppEnvironmentDetectorAccess; // tests

    struct CommandOutput {
        std::string output;
        std::int32_t exitCode = 0;
    };

    QVAppEnvironmentDetector();
    static Foundation::SharedInstance<QVAppEnvironmentDetector>& instance();

    // Standard output and error through one pipe, trimmed; "Command execution failed: …" and −1 when the
    // program cannot start.
    static CommandOutput runCommand(const std::string& launchPath, const std::vector<std::string>& arguments);

    bool isTesting_ = false;

    friend struct ::TestAccess;
    // Tests: the next shared() decides again.
    static void resetForTesting();
};

} // namespace QVToolsKit
