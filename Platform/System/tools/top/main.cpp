// This machine's processes by resident memory, in the macOS tool's table shape.
#include "Platform/Foundation/Console.h"
#include "Platform/System/TopReport.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto output = SystemPlatform::TopReport::run(arguments);
    Foundation::Console::write(Foundation::Console::Stream::standardOutput, output.standardOutput);
    Foundation::Console::write(Foundation::Console::Stream::standardError, output.standardError);
    return output.status;
}
