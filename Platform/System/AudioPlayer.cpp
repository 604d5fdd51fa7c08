#include "Platform/System/AudioPlayer.h"

#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ProcessAudioPlayer.h"

namespace SystemPlatform {

namespace {

// The factory tests install, if any.
Foundation::LockedValue<AudioPlayer::Factory>& installedFactory()
{
    static Foundation::SharedInstance<Foundation::LockedValue<AudioPlayer::Factory>> factory;
    return factory.get();
}

} // namespace

Foundation::Result<std::shared_ptr<AudioPlayer>> AudioPlayer::make(const std::filesystem::path& file)
{
    const Factory factory = installedFactory().get();
    return factory ? factory(file) : ProcessAudioPlayer::make(file);
}

void AudioPlayer::setFactory(Factory factory) { installedFactory().set(std::move(factory)); }

} // namespace SystemPlatform
