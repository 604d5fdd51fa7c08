#pragma once

#include "Platform/System/SpeechSynthesizer.h"
#include "Platform/System/SystemExport.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace Foundation {
class Process;
}

namespace SystemPlatform {

// Speech through the espeak-ng program; the text follows "--", so it is never taken for an option. Voices: the Mandarin
// voice identifier maps to "cmn"; the default is espeak-ng's own.
class AERLO_SYSTEM_EXPORT EspeakSpeechSynthesizer : public SpeechSynthesizer {
public:
    // Where espeak-ng is installed, if it is.
    static std::optional<std::string> programPath();
    // espeak-ng's voice for a voice identifier; nothing for an unknown one.
    static std::optional<std::string> espeakVoice(const std::string& identifier);

    EspeakSpeechSynthesizer();
    ~EspeakSpeechSynthesizer() override;

    [[nodiscard]] bool setVoice(const std::string& identifier) override;
    [[nodiscard]] bool startSpeaking(const std::string& text) override;
    void stopSpeaking() override;
    bool isSpeaking() const override;

private:
    mutable std::mutex mutex_;
    std::string voice_;
    std::unique_ptr<Foundation::Process> speech_;
};

} // namespace SystemPlatform
