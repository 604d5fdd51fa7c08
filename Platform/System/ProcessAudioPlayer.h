#pragma once

#include "Platform/System/AudioPlayer.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace Foundation {
class Process;
}

namespace SystemPlatform {

// Plays a file with the command-line player "/usr/bin/afplay" (through the tool map: paplay or aplay
// here). Pausing stops the player process and resuming continues it; repeats start it again.
class ProcessAudioPlayer : public AudioPlayer, public std::enable_shared_from_this<ProcessAudioPlayer> {
public:
    static constexpr char toolPath[] = "/usr/bin/afplay";

    // Fails when the file cannot be read or there is no player program.
    static Foundation::Result<std::shared_ptr<AudioPlayer>> make(const std::filesystem::path& file);
    ~ProcessAudioPlayer() override;

    [[nodiscard]] bool prepareToPlay() override;
    [[nodiscard]] bool play() override;
    void pause() override;
    void stop() override;
    int numberOfLoops() const override;
    void setNumberOfLoops(int loops) override;
    bool isPlaying() const override;
    void setFinishedHandler(FinishedHandler handler) override;

private:
    enum class State { idle, playing, paused };

    explicit ProcessAudioPlayer(std::filesystem::path file) : file_(std::move(file)) {}
    // Starts the player program; under the lock.
    [[nodiscard]] bool start();
    // After the program of `run` ended with `status`.
    void ended(std::uint64_t run, bool successfully);

    const std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::shared_ptr<Foundation::Process> child_;
    State state_ = State::idle;
    std::uint64_t run_ = 0;
    int loops_ = 0;
    int loopsLeft_ = 0;
    FinishedHandler finished_;
};

} // namespace SystemPlatform
