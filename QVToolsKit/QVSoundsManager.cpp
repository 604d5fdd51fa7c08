#include "QVToolsKit/QVSoundsManager.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/AudioPlayer.h"

namespace QVToolsKit {

using Foundation::Console;
using Foundation::DispatchQueue;
using SystemPlatform::AudioPlayer;

Foundation::SharedInstance<QVSoundsManager>& QVSoundsManager::instance()
{
    static Foundation::SharedInstance<QVSoundsManager> shared([](void* storage) { new (storage) QVSoundsManager(); });
    return shared;
}

QVSoundsManager& QVSoundsManager::shared() { return instance().get(); }

void QVSoundsManager::resetForTesting() { instance().resetForTesting(); }

QVSoundsManager::~QVSoundsManager()
{
    if (const auto player = audioPlayer_.get()) {
        player->setFinishedHandler({});
        player->stop();
    }
}

bool QVSoundsManager::isPlaying() const
{
    const auto player = audioPlayer();
    return player && player->isPlaying();
}

std::shared_ptr<AudioPlayer> QVSoundsManager::audioPlayer() const { return audioPlayer_.get(); }

void QVSoundsManager::setAudioPlayer(std::shared_ptr<AudioPlayer> player) { audioPlayer_.set(std::move(player)); }

QVSoundsManager::Completion QVSoundsManager::completionHandler() const { return completionHandler_.get(); }

void QVSoundsManager::setCompletionHandler(Completion completion) { completionHandler_.set(std::move(completion)); }

void QVSoundsManager::playAudio(const std::string& name, const std::string& ofType, bool loop, Completion completion)
{
    DispatchQueue::main().async(
        [this, name, ofType, loop, completion = std::move(completion)] { startAudio(name, ofType, loop, completion); });
}

void QVSoundsManager::startAudio(const std::string& name, const std::string& ofType, bool loop, Completion completion)
{
    if (const auto current = audioPlayer()) {
        current->stop();
        setAudioPlayer(nullptr);
    }
    const auto path = Foundation::Bundle::main().path(name, ofType);
    if (!path) {
        Console::print("音频资源未找到：" + name + "." + ofType);
        return;
    }
    auto made = AudioPlayer::make(*path);
    if (!made) {
        Console::print("播放音频失败：" + made.error());
        return;
    }
    const std::shared_ptr<AudioPlayer> player = std::move(made.value());
    setAudioPlayer(player);
    player->setFinishedHandler(
        [this, identity = player.get()](bool successfully) { audioPlayerDidFinishPlaying(identity, successfully); });
    player->prepareToPlay();
    player->setNumberOfLoops(loop ? -1 : 0);
    setCompletionHandler(std::move(completion));
    player->play();
    Console::print("播放音频：" + name + "." + ofType);
}

void QVSoundsManager::stop()
{
    DispatchQueue::main().async([this] {
        if (const auto current = audioPlayer()) {
            current->stop();
            setAudioPlayer(nullptr);
        }
    });
}

void QVSoundsManager::pause()
{
    DispatchQueue::main().async([this] {
        if (const auto current = audioPlayer())
            current->pause();
    });
}

void QVSoundsManager::resume()
{
    DispatchQueue::main().async([this] {
        if (const auto current = audioPlayer())
            current->play();
    });
}

void QVSoundsManager::audioPlayerDidFinishPlaying(const AudioPlayer* player, bool)
{
    // A player that was stopped or replaced meanwhile is not the one the completion was stored with.
    if (player != audioPlayer().get())
        return;
    if (const Completion completion = completionHandler_.exchange(nullptr))
        completion();
}

} // namespace QVToolsKit
