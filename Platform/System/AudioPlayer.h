#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace SystemPlatform {

// Plays one sound file. Made by the installed factory (a fake in tests), else by the default backend,
// which plays through a command-line player and fails to make a player where there is none.
class AERLO_SYSTEM_EXPORT AudioPlayer {
public:
    // `successfully` is false when the sound could not be played to its end.
    using FinishedHandler = std::function<void(bool successfully)>;
    using Factory = std::function<Foundation::Result<std::shared_ptr<AudioPlayer>>(const std::filesystem::path& file)>;

    virtual ~AudioPlayer() = default;

    // A player for the file, or why there is none.
    static Foundation::Result<std::shared_ptr<AudioPlayer>> make(const std::filesystem::path& file);
    // Replaces the factory (tests); an empty one goes back to the default backend.
    static void setFactory(Factory factory);

    [[nodiscard]] virtual bool prepareToPlay() = 0;
    // Starts, or continues after pause().
    [[nodiscard]] virtual bool play() = 0;
    virtual void pause() = 0;
    // Ends the sound; the finished handler is not called.
    virtual void stop() = 0;
    // How many times the sound repeats after the first play; −1 repeats until stopped.
    virtual int numberOfLoops() const = 0;
    virtual void setNumberOfLoops(int loops) = 0;
    virtual bool isPlaying() const = 0;
    // Called on the main queue when the sound ends on its own.
    virtual void setFinishedHandler(FinishedHandler handler) = 0;
};

} // namespace SystemPlatform
