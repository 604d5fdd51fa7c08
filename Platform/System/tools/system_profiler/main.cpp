// The system profiler of the simulated Mac: prints the active machine's reports.
#include "Platform/Foundation/Console.h"
#include "Platform/System/SystemProfiler.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string output = SystemPlatform::SystemProfiler::run(arguments);
    Foundation::Console::write(Foundation::Console::Stream::standardOutput, output);
    return output.empty() ? 1 : 0;
}
