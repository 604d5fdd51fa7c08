#include "Platform/System/AudioPlayer.h"

#include "Platform/System/ProcessAudioPlayer.h"

#include <mutex>

namespace SystemPlatform {

namespace {

struct FactoryState {
    std::mutex mutex;
    AudioPlayer::Factory factory;
};

FactoryState& factoryState()
{
    static FactoryState state;
    return state;
}

} // namespace

Foundation::Result<std::shared_ptr<AudioPlayer>> AudioPlayer::make(const std::filesystem::path& file)
{
    Factory factory;
    {
        FactoryState& state = factoryState();
        std::lock_guard lock(state.mutex);
        factory = state.factory;
    }
    return factory ? factory(file) : ProcessAudioPlayer::make(file);
}

void AudioPlayer::setFactory(Factory factory)
{
    FactoryState& state = factoryState();
    std::lock_guard lock(state.mutex);
    state.factory = std::move(factory);
}

} // namespace SystemPlatform
