#include "Platform/System/ProcessURLOpener.h"

#include "Platform/Foundation/Process.h"

namespace SystemPlatform {

ProcessURLOpener::ProcessURLOpener(std::string program, double waitSeconds)
    : program_(std::move(program)), waitSeconds_(waitSeconds)
{
}

bool ProcessURLOpener::open(const Foundation::URL& url)
{
    // The opener takes no "--": a text that starts like an option is not handed to it.
    if (url.absoluteString().starts_with('-'))
        return false;
    Foundation::Process::Options options;
    options.standardOutput = Foundation::ProcessOutput::discard;
    options.standardError = Foundation::ProcessOutput::discard;
    Foundation::Process process(program_, {url.absoluteString()}, options);
    if (!process.run().ok())
        return false;
    if (!process.waitUntilExit(waitSeconds_))
        return true;
    return process.terminationReason() == Foundation::ProcessTerminationReason::exit
           && process.terminationStatus() == 0;
}

} // namespace SystemPlatform
