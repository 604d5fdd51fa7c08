#include "QVToolsKit/QVAppEnvironmentDetector.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UTF8.h"

#include <optional>

namespace QVToolsKit {

namespace {

std::optional<QVAppRunEnvironment> environmentOfAuthority(std::string_view name)
{
    if (name == "Apple Mac OS Application Signing")
        return QVAppRunEnvironment::appStore;
    if (name == "TestFlight Beta Distribution")
        return QVAppRunEnvironment::testFlight;
    if (name.starts_with("Developer ID Application"))
        return QVAppRunEnvironment::developerID;
    if (name.starts_with("Apple Distribution"))
        return QVAppRunEnvironment::adHoc;
    if (name.starts_with("Apple Development"))
        return QVAppRunEnvironment::development;
    return std::nullopt;
}

} // namespace

QVAppEnvironmentDetector::QVAppEnvironmentDetector()
{
    isTesting_ = currentEnvironment() == QVAppRunEnvironment::testFlight
                 || currentEnvironment() == QVAppRunEnvironment::development;
}

Foundation::SharedInstance<QVAppEnvironmentDetector>& QVAppEnvironmentDetector::instance()
{
    static Foundation::SharedInstance<QVAppEnvironmentDetector> shared(
        [](void* storage) { new (storage) QVAppEnvironmentDetector(); });
    return shared;
}

const QVAppEnvironmentDetector& QVAppEnvironmentDetector::shared() { return instance().get(); }

void QVAppEnvironmentDetector::resetForTesting() { instance().resetForTesting(); }

QVAppRunEnvironment QVAppEnvironmentDetector::currentEnvironment()
{
    const CommandOutput result =
        runCommand("/usr/bin/codesign", {"-dv", "--verbose=4", Foundation::Bundle::main().bundlePath().string()});
    if (result.exitCode != 0) {
        Foundation::Console::print("❌ detectEnvironment error: " + result.output);
        return QVAppRunEnvironment::other;
    }
    std::string_view rest = result.output;
    while (!rest.empty()) {
        const size_t newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline);
        rest = newline == std::string_view::npos ? std::string_view {} : rest.substr(newline + 1);
        if (!line.starts_with("Authority"))
            continue;
        const size_t equals = line.rfind('=');
        const std::string_view name = equals == std::string_view::npos ? line : line.substr(equals + 1);
        if (const auto environment = environmentOfAuthority(name))
            return *environment;
    }
    return QVAppRunEnvironment::other;
}

QVAppEnvironmentDetector::CommandOutput QVAppEnvironmentDetector::runCommand(const std::string& launchPath,
                                                                             const std::vector<std::string>& arguments)
{
    Foundation::Process::Options options;
    options.standardError = Foundation::Process::Output::standardOutput;
    const Foundation::Process::Result result = Foundation::Process::run(launchPath, arguments, options);
    if (!result.launched)
        return {"Command execution failed: " + result.launchError, -1};
    const std::string output = Foundation::UTF8::isValid(result.stdout_) ? Foundation::trimmed(result.stdout_) : "";
    return {output, result.status};
}

} // namespace QVToolsKit
