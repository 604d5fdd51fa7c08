#pragma once

#include "Platform/System/AudioPlayer.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace SystemPlatform {

// A scriptable player for tests: it records what it is told and finishes when the test says so.
class FakeAudioPlayer : public AudioPlayer {
public:
    explicit FakeAudioPlayer(std::filesystem::path file) : file_(std::move(file)) {}

    // A factory that makes fakes, keeps each one in `made`, and fails for the files in `failures`
    // (file → error text).
    struct Script {
        std::map<std::filesystem::path, std::string> failures;
        std::vector<std::shared_ptr<FakeAudioPlayer>> made;
    };
    static Factory factory(const std::shared_ptr<Script>& script);

    [[nodiscard]] bool prepareToPlay() override;
    [[nodiscard]] bool play() override;
    void pause() override;
    void stop() override;
    int numberOfLoops() const override { return loops_; }
    void setNumberOfLoops(int loops) override { loops_ = loops; }
    bool isPlaying() const override { return playing_; }
    void setFinishedHandler(FinishedHandler handler) override;

    // Test side: the sound reaches its end (a looping sound starts again instead).
    void reachEnd();
    const std::filesystem::path& file() const { return file_; }
    // "prepare", "play", "pause", "stop", in the order they came.
    std::vector<std::string> calls() const;

private:
    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    FinishedHandler finished_;
    std::atomic<int> loops_ {0};
    std::atomic<bool> playing_ {false};
};

} // namespace SystemPlatform
