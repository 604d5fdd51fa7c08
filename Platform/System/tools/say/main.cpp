// Speaks its arguments, joined by spaces, and returns when done. Every argument is text, even one
// that begins with "-". Exits 1 when there is no speech engine.

#include "Platform/Foundation/Process.h"
#include "Platform/System/EspeakSpeechSynthesizer.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i)
        text += (i > 1 ? " " : "") + std::string(argv[i]);
    const auto program = SystemPlatform::EspeakSpeechSynthesizer::programPath();
    if (!program)
        return 1;
    Foundation::Process::Options options;
    options.standardOutput = Foundation::Process::Output::discard;
    options.standardError = Foundation::Process::Output::discard;
    const auto result = Foundation::Process::run(*program, {"--", text}, options);
    return result.launched && result.status == 0 ? 0 : 1;
}
