#include "QVToolsKit/QVShellManager.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/UTF8.h"

#include <cerrno>
#include <cstring>

namespace QVToolsKit {

namespace {

using Foundation::Process;

constexpr char shellPath[] = "/bin/zsh";

} // namespace

void QVShellManager::run(const std::string& command)
{
    Process::Options options;
    options.standardInput = Process::Input::inherit;
    options.standardOutput = Process::Output::inherit;
    options.standardError = Process::Output::inherit;
    (void)Process::run(shellPath, {"-c", command}, options);
}

std::string QVShellManager::runWithOutput(const std::string& command)
{
    Process::Options options;
    options.standardInput = Process::Input::inherit;
    options.standardOutput = Process::Output::pipe;
    options.standardError = Process::Output::standardOutput;
    const Process::Result result = Process::run(shellPath, {"-c", command}, options);
    if (!result.launched || !Foundation::UTF8::isValid(result.stdout_))
        return {};
    return result.stdout_;
}

void QVShellManager::forceTerminateProcess(std::int32_t pid)
{
    const std::string prefix = "Error terminating process " + std::to_string(pid) + ": ";
    if (pid <= 0) {
        Foundation::Console::print(prefix + Foundation::errnoText(EINVAL));
        return;
    }
    Process::Options options;
    options.standardInput = Process::Input::inherit;
    options.standardOutput = Process::Output::inherit;
    options.standardError = Process::Output::inherit;
    Process kill("/bin/kill", {"-9", std::to_string(pid)}, options);
    if (const auto launched = kill.run(); !launched) {
        Foundation::Console::print(prefix + launched.error());
        return;
    }
    kill.waitUntilExit();
    const int status = kill.terminationStatus();
    if (status == 0)
        Foundation::Console::print("Process " + std::to_string(pid) + " terminated successfully.");
    else
        Foundation::Console::print("Failed to terminate process " + std::to_string(pid)
                                   + ". Status code: " + std::to_string(status));
}

} // namespace QVToolsKit
