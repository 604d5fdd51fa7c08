#include "Platform/System/EspeakSpeechSynthesizer.h"

#include "Platform/Foundation/Process.h"

#include <unistd.h>

namespace SystemPlatform {

std::optional<std::string> EspeakSpeechSynthesizer::programPath()
{
    for (const char* path : {"/usr/bin/espeak-ng", "/usr/local/bin/espeak-ng"})
        if (::access(path, X_OK) == 0)
            return path;
    return std::nullopt;
}

std::optional<std::string> EspeakSpeechSynthesizer::espeakVoice(const std::string& identifier)
{
    if (identifier == mandarinVoice)
        return "cmn";
    return std::nullopt;
}

EspeakSpeechSynthesizer::EspeakSpeechSynthesizer() = default;

EspeakSpeechSynthesizer::~EspeakSpeechSynthesizer() { stopSpeaking(); }

bool EspeakSpeechSynthesizer::setVoice(const std::string& identifier)
{
    const auto voice = espeakVoice(identifier);
    if (!voice)
        return false;
    std::lock_guard lock(mutex_);
    voice_ = *voice;
    return true;
}

bool EspeakSpeechSynthesizer::startSpeaking(const std::string& text)
{
    const auto program = programPath();
    std::lock_guard lock(mutex_);
    if (speech_)
        speech_->terminate();
    speech_.reset();
    if (!program)
        return false;
    std::vector<std::string> arguments;
    if (!voice_.empty())
        arguments = {"-v", voice_};
    // After "--" the text is never an option, whatever it begins with.
    arguments.insert(arguments.end(), {"--", text});
    Foundation::Process::Options options;
    options.standardOutput = Foundation::Process::Output::discard;
    options.standardError = Foundation::Process::Output::discard;
    auto speech = std::make_unique<Foundation::Process>(*program, arguments, options);
    if (!speech->run().ok())
        return false;
    speech_ = std::move(speech);
    return true;
}

void EspeakSpeechSynthesizer::stopSpeaking()
{
    std::lock_guard lock(mutex_);
    if (speech_)
        speech_->terminate();
    speech_.reset();
}

bool EspeakSpeechSynthesizer::isSpeaking() const
{
    std::lock_guard lock(mutex_);
    return speech_ && speech_->isRunning();
}

} // namespace SystemPlatform
