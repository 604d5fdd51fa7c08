#include "QVToolsKit/QVSpeechManager.h"

#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/SpeechSynthesizer.h"

#include <memory>
#include <mutex>

namespace QVToolsKit {

namespace {

using SystemPlatform::SpeechSynthesizer;

struct SharedSynthesizer {
    std::mutex mutex;
    std::unique_ptr<SpeechSynthesizer> synthesizer = SpeechSynthesizer::make();
};

Foundation::SharedInstance<SharedSynthesizer>& synthesizer()
{
    static Foundation::SharedInstance<SharedSynthesizer> shared;
    return shared;
}

} // namespace

void QVSpeechManager::speak(const std::string& message)
{
    Foundation::Process::Options options;
    options.standardInput = Foundation::Process::Input::inherit;
    options.standardOutput = Foundation::Process::Output::inherit;
    options.standardError = Foundation::Process::Output::inherit;
    (void)Foundation::Process::run("/usr/bin/say", {message}, options);
}

void QVSpeechManager::speakSelectedText(const std::string& text)
{
    SharedSynthesizer& shared = synthesizer().get();
    std::lock_guard lock(shared.mutex);
    shared.synthesizer->stopSpeaking();
    (void)shared.synthesizer->setVoice(SpeechSynthesizer::mandarinVoice);
    (void)shared.synthesizer->startSpeaking(text);
}

void QVSpeechManager::stopSpeaking()
{
    SharedSynthesizer& shared = synthesizer().get();
    std::lock_guard lock(shared.mutex);
    shared.synthesizer->stopSpeaking();
}

void QVSpeechManager::resetForTesting() { synthesizer().resetForTesting(); }

} // namespace QVToolsKit
