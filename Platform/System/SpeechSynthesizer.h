#pragma once

#include "Platform/System/SystemExport.h"

#include <functional>
#include <memory>
#include <string>

namespace SystemPlatform {

// Speaks text in the background with a chosen voice. Made by the installed factory (a fake in tests),
// else by the default backend, which speaks through espeak-ng and stays silent where there is none.
class AERLO_SYSTEM_EXPORT SpeechSynthesizer {
public:
    using Factory = std::function<std::unique_ptr<SpeechSynthesizer>()>;

    // The voice identifier of the Mandarin voice.
    static constexpr char mandarinVoice[] = "com.apple.speech.synthesis.voice.meijia";

    virtual ~SpeechSynthesizer() = default;

    static std::unique_ptr<SpeechSynthesizer> make();
    // Replaces the factory (tests); an empty one goes back to the default backend.
    static void setFactory(Factory factory);
    // Points "/usr/bin/say" at the speech stand-in, which speaks all its arguments as text.
    static void installSayStandIn();
    static std::string sayStandInPath();

    // False when the voice is unknown; the voice stays as it was.
    [[nodiscard]] virtual bool setVoice(const std::string& identifier) = 0;
    // Starts speaking and returns at once; false when nothing can speak.
    [[nodiscard]] virtual bool startSpeaking(const std::string& text) = 0;
    virtual void stopSpeaking() = 0;
    virtual bool isSpeaking() const = 0;
};

} // namespace SystemPlatform
