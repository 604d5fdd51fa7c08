#pragma once

#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/TestAccess.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <functional>
#include <memory>
#include <string>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace SystemPlatform {
class AudioPlayer;
}

namespace QVToolsKit {

// Plays one sound of the main bundle at a time. Every call queues its work on the main queue, in call
// order, and returns at once; failures print one line.
class QVTOOLSKIT_EXPORT QVSoundsManager {
public:
    using Completion = std::function<void()>;

    static QVSoundsManager& shared();
    virtual ~QVSoundsManager();

    // Whether the current player plays; any thread.
    virtual bool isPlaying() const;
    virtual std::shared_ptr<SystemPlatform::AudioPlayer> audioPlayer() const;
    virtual void setAudioPlayer(std::shared_ptr<SystemPlatform::AudioPlayer> player);
    virtual Completion completionHandler() const;
    virtual void setCompletionHandler(Completion completion);

    // Stops the current sound, then plays Resources/<name>.<ofType> once or until stopped. The completion
    // runs once when that sound ends on its own; a replaced or stopped sound's completion never runs.
    void playAudio(const std::string& name, const std::string& ofType, bool loop, Completion completion = {});
    void stop();
    void pause();
    void resume();

    // The player's end: runs and clears the completion when it is the current player's.
    void audioPlayerDidFinishPlaying(const SystemPlatform::AudioPlayer* player, bool successfully);

private:
    QVSoundsManager() = default;
    static Foundation::SharedInstance<QVSoundsManager>& instance();
    // The main-queue part of playAudio.
    void startAudio(const std::string& name, const std::string& ofType, bool loop, Completion completion);

    // Replaced on the main queue, read from any thread.
    Foundation::LockedValue<std::shared_ptr<SystemPlatform::AudioPlayer>> audioPlayer_;
    Foundation::LockedValue<Completion> completionHandler_;

    friend struct ::TestAccess;
    // Tests: stops the sound and makes the next shared() a fresh instance.
    static void resetForTesting();
};

} // namespace QVToolsKit
