#include "tests/Support/System/FakeSpeechSynthesizer.h"

namespace SystemPlatform {

SpeechSynthesizer::Factory FakeSpeechSynthesizer::factory(const std::shared_ptr<Log>& log)
{
    return [log] {
        {
            std::lock_guard lock(log->mutex);
            ++log->made;
        }
        return std::make_unique<FakeSpeechSynthesizer>(log);
    };
}

void FakeSpeechSynthesizer::record(std::string call)
{
    std::lock_guard lock(log_->mutex);
    log_->calls.push_back(std::move(call));
}

bool FakeSpeechSynthesizer::setVoice(const std::string& identifier)
{
    record("voice " + identifier);
    return identifier == mandarinVoice;
}

bool FakeSpeechSynthesizer::startSpeaking(const std::string& text)
{
    record("start " + text);
    speaking_ = true;
    return true;
}

void FakeSpeechSynthesizer::stopSpeaking()
{
    record("stop");
    speaking_ = false;
}

bool FakeSpeechSynthesizer::isSpeaking() const { return speaking_; }

} // namespace SystemPlatform
