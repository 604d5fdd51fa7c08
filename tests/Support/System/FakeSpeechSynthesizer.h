#pragma once

#include "Platform/System/SpeechSynthesizer.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace SystemPlatform {

// A synthesiser for tests: it records what it is told and speaks until stopped.
class FakeSpeechSynthesizer : public SpeechSynthesizer {
public:
    // What every fake made by factory() records, in order: "voice <id>", "start <text>", "stop".
    struct Log {
        std::mutex mutex;
        std::vector<std::string> calls;
        int made = 0;
    };
    static Factory factory(const std::shared_ptr<Log>& log);

    explicit FakeSpeechSynthesizer(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    [[nodiscard]] bool setVoice(const std::string& identifier) override;
    [[nodiscard]] bool startSpeaking(const std::string& text) override;
    void stopSpeaking() override;
    bool isSpeaking() const override;

private:
    void record(std::string call);

    std::shared_ptr<Log> log_;
    bool speaking_ = false;
};

} // namespace SystemPlatform
