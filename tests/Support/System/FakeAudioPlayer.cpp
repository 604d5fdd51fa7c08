#include "tests/Support/System/FakeAudioPlayer.h"

#include "Platform/Foundation/DispatchQueue.h"

namespace SystemPlatform {

AudioPlayer::Factory FakeAudioPlayer::factory(const std::shared_ptr<Script>& script)
{
    return [script](const std::filesystem::path& file) -> Foundation::Result<std::shared_ptr<AudioPlayer>> {
        if (const auto failure = script->failures.find(file); failure != script->failures.end())
            return Foundation::Error(failure->second);
        auto player = std::make_shared<FakeAudioPlayer>(file);
        script->made.push_back(player);
        return std::shared_ptr<AudioPlayer>(player);
    };
}

bool FakeAudioPlayer::prepareToPlay()
{
    std::lock_guard lock(mutex_);
    calls_.push_back("prepare");
    return true;
}

bool FakeAudioPlayer::play()
{
    std::lock_guard lock(mutex_);
    calls_.push_back("play");
    playing_ = true;
    return true;
}

void FakeAudioPlayer::pause()
{
    std::lock_guard lock(mutex_);
    calls_.push_back("pause");
    playing_ = false;
}

void FakeAudioPlayer::stop()
{
    std::lock_guard lock(mutex_);
    calls_.push_back("stop");
    playing_ = false;
}

void FakeAudioPlayer::setFinishedHandler(FinishedHandler handler)
{
    std::lock_guard lock(mutex_);
    finished_ = std::move(handler);
}

void FakeAudioPlayer::reachEnd()
{
    if (!playing_ || loops_ < 0)
        return;
    if (loops_ > 0) {
        --loops_;
        return;
    }
    playing_ = false;
    FinishedHandler finished;
    {
        std::lock_guard lock(mutex_);
        finished = finished_;
    }
    if (finished)
        Foundation::DispatchQueue::main().async([finished] { finished(true); });
}

std::vector<std::string> FakeAudioPlayer::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

} // namespace SystemPlatform
