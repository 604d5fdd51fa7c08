#include "Classes/Configure/Global/CommandRunner.h"

#include "Classes/Configure/Global/NextLog.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "Platform/Foundation/Process.h"

namespace Aerlo {

std::optional<std::string> runCommand(const std::string& launchPath, const std::vector<std::string>& arguments)
{
    Foundation::Process::Options options;
    options.standardOutput = Foundation::Process::Output::pipe;
    options.standardError = Foundation::Process::Output::inherit;
    const Foundation::Process::Result result = Foundation::Process::run(launchPath, arguments, options);
    if (!result.launched) {
        // The same text whichever tool it was.
        NextLog::debug("system_profiler SPMemoryDataType: " + result.launchError);
        return std::nullopt;
    }
    std::string text = decodingUTF8(result.stdout_);
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace Aerlo
