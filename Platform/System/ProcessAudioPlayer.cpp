#include "Platform/System/ProcessAudioPlayer.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/ToolMap.h"

#include <csignal>
#include <fstream>
#include <thread>

namespace SystemPlatform {

Foundation::Result<std::shared_ptr<AudioPlayer>> ProcessAudioPlayer::make(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || !std::ifstream(file).good())
        return Foundation::Error("The file “" + file.filename().string() + "” couldn’t be opened.");
    if (!Foundation::ToolMap::resolve(toolPath))
        return Foundation::Error("No audio output is available.");
    return std::shared_ptr<AudioPlayer>(new ProcessAudioPlayer(file));
}

ProcessAudioPlayer::~ProcessAudioPlayer()
{
    std::lock_guard lock(mutex_);
    if (child_)
        child_->terminate();
}

bool ProcessAudioPlayer::prepareToPlay() { return true; }

bool ProcessAudioPlayer::start()
{
    Foundation::Process::Options options;
    options.standardOutput = Foundation::Process::Output::discard;
    options.standardError = Foundation::Process::Output::discard;
    auto child = std::make_shared<Foundation::Process>(toolPath, std::vector<std::string> {file_.string()}, options);
    if (!child->run().ok())
        return false;
    child_ = child;
    state_ = State::playing;
    const std::uint64_t run = ++run_;
    std::thread([weak = weak_from_this(), child, run] {
        child->waitUntilExit();
        const bool successfully =
            child->terminationReason() == Foundation::ProcessTerminationReason::exit && child->terminationStatus() == 0;
        if (const auto self = weak.lock())
            self->ended(run, successfully);
    }).detach();
    return true;
}

void ProcessAudioPlayer::ended(std::uint64_t run, bool successfully)
{
    FinishedHandler finished;
    {
        std::lock_guard lock(mutex_);
        if (run != run_ || state_ == State::idle)
            return; // stopped, or replaced by a later run
        if (successfully && loopsLeft_ != 0) {
            if (loopsLeft_ > 0)
                --loopsLeft_;
            if (start())
                return;
        }
        state_ = State::idle;
        child_.reset();
        finished = finished_;
    }
    if (finished)
        Foundation::DispatchQueue::main().async([finished, successfully] { finished(successfully); });
}

bool ProcessAudioPlayer::play()
{
    std::lock_guard lock(mutex_);
    if (state_ == State::playing)
        return true;
    if (state_ == State::paused && child_) {
        child_->signal(SIGCONT);
        state_ = State::playing;
        return true;
    }
    loopsLeft_ = loops_;
    return start();
}

void ProcessAudioPlayer::pause()
{
    std::lock_guard lock(mutex_);
    if (state_ != State::playing || !child_)
        return;
    child_->signal(SIGSTOP);
    state_ = State::paused;
}

void ProcessAudioPlayer::stop()
{
    std::lock_guard lock(mutex_);
    ++run_;
    if (child_) {
        child_->terminate();
        if (state_ == State::paused)
            child_->signal(SIGCONT);
    }
    child_.reset();
    state_ = State::idle;
}

int ProcessAudioPlayer::numberOfLoops() const
{
    std::lock_guard lock(mutex_);
    return loops_;
}

void ProcessAudioPlayer::setNumberOfLoops(int loops)
{
    std::lock_guard lock(mutex_);
    loops_ = loops;
}

bool ProcessAudioPlayer::isPlaying() const
{
    std::lock_guard lock(mutex_);
    return state_ == State::playing;
}

void ProcessAudioPlayer::setFinishedHandler(FinishedHandler handler)
{
    std::lock_guard lock(mutex_);
    finished_ = std::move(handler);
}

} // namespace SystemPlatform
