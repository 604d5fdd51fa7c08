#include "Platform/Foundation/Bundle.h"
#include "QVToolsKit/QVSoundsManager.h"
#include "QVToolsKit/QVSpeechManager.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/System/FakeAudioPlayer.h"
#include "tests/Support/System/FakeSpeechSynthesizer.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using QVToolsKit::QVSoundsManager;
using QVToolsKit::QVSpeechManager;
using SystemPlatform::AudioPlayer;
using SystemPlatform::FakeAudioPlayer;
using SystemPlatform::FakeSpeechSynthesizer;
namespace fs = std::filesystem;

namespace {

// A bundle with two sounds, fake players, a manual main queue and a fresh shared manager.
class Sounds : public ::testing::Test {
protected:
    Sounds()
    {
        const fs::path resources = root.path() / "Sound.app/Contents/Resources";
        fs::create_directories(resources);
        std::ofstream(resources / "ding.wav") << "RIFF";
        std::ofstream(resources / "chime.aiff") << "FORM";
        Foundation::Bundle::setMainBundlePath(root.path() / "Sound.app");
        AudioPlayer::setFactory(FakeAudioPlayer::factory(script));
        TestAccess::resetForTesting<QVSoundsManager>();
    }
    ~Sounds() override
    {
        TestAccess::resetForTesting<QVSoundsManager>();
        AudioPlayer::setFactory({});
        Foundation::Bundle::setMainBundlePath({});
    }

    QVSoundsManager& sounds() { return QVSoundsManager::shared(); }
    FakeAudioPlayer& player(size_t index) { return *script->made.at(index); }
    fs::path resource(const char* name) { return root.path() / "Sound.app/Contents/Resources" / name; }

    TempRoot root;
    ConsoleCapture console;
    Foundation::ManualRunLoopDriver driver;
    std::shared_ptr<FakeAudioPlayer::Script> script = std::make_shared<FakeAudioPlayer::Script>();
};

TEST_F(Sounds, NothingChangesBeforeTheMainQueueRuns)
{
    sounds().playAudio("ding", "wav", false);
    EXPECT_FALSE(sounds().isPlaying());
    EXPECT_TRUE(script->made.empty());
    EXPECT_EQ(console.output(), "");
    driver.runUntilIdle();
    ASSERT_EQ(script->made.size(), 1u);
    EXPECT_TRUE(sounds().isPlaying());
    EXPECT_EQ(player(0).file(), resource("ding.wav"));
    EXPECT_EQ(player(0).calls(), (std::vector<std::string> {"prepare", "play"}));
    EXPECT_EQ(player(0).numberOfLoops(), 0);
    EXPECT_EQ(console.lines(), std::vector<std::string> {"播放音频：ding.wav"});
}

TEST_F(Sounds, AMissingResourceStopsTheCurrentSound)
{
    int completions = 0;
    sounds().playAudio("ding", "wav", false, [&] { ++completions; });
    sounds().playAudio("missing", "wav", false);
    driver.runUntilIdle();
    EXPECT_EQ(player(0).calls(), (std::vector<std::string> {"prepare", "play", "stop"}));
    EXPECT_FALSE(sounds().isPlaying());
    EXPECT_EQ(sounds().audioPlayer(), nullptr);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"播放音频：ding.wav", "音频资源未找到：missing.wav"}));
    EXPECT_TRUE(sounds().completionHandler()); // left as it was
    EXPECT_EQ(completions, 0);
}

TEST_F(Sounds, APlayerThatCannotBeMadePrintsWhy)
{
    script->failures[resource("chime.aiff")] = "No audio output is available.";
    sounds().playAudio("chime", "aiff", false);
    driver.runUntilIdle();
    EXPECT_EQ(console.lines(), std::vector<std::string> {"播放音频失败：No audio output is available."});
    EXPECT_FALSE(sounds().isPlaying());
}

TEST_F(Sounds, ASecondPlayStopsTheFirstWhoseCompletionNeverRuns)
{
    std::vector<std::string> completed;
    sounds().playAudio("ding", "wav", false, [&] { completed.push_back("ding"); });
    sounds().playAudio("chime", "aiff", false, [&] { completed.push_back("chime"); });
    driver.runUntilIdle();
    EXPECT_EQ(player(0).calls().back(), "stop");
    player(0).reachEnd();
    sounds().audioPlayerDidFinishPlaying(&player(0), true); // a late end of the replaced player
    driver.runUntilIdle();
    EXPECT_TRUE(completed.empty());
    player(1).reachEnd();
    driver.runUntilIdle();
    EXPECT_EQ(completed, std::vector<std::string> {"chime"});
}

TEST_F(Sounds, ACompletionRunsOnceAtTheNaturalEnd)
{
    int first = 0;
    int second = 0;
    sounds().playAudio("ding", "wav", false, [&] { ++first; });
    driver.runUntilIdle();
    player(0).reachEnd();
    EXPECT_EQ(first, 0); // delivered on the main queue
    driver.runUntilIdle();
    EXPECT_EQ(first, 1);
    EXPECT_FALSE(sounds().completionHandler());
    sounds().audioPlayerDidFinishPlaying(&player(0), true);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(sounds().audioPlayer().get(), &player(0)); // the player stays

    sounds().playAudio("ding", "wav", false, [&] { ++second; });
    driver.runUntilIdle();
    player(1).reachEnd();
    driver.runUntilIdle();
    EXPECT_EQ(std::pair(first, second), std::pair(1, 1));
}

TEST_F(Sounds, ALoopingSoundNeverFinishesOnItsOwn)
{
    int completions = 0;
    sounds().playAudio("ding", "wav", true, [&] { ++completions; });
    driver.runUntilIdle();
    EXPECT_EQ(player(0).numberOfLoops(), -1);
    player(0).reachEnd();
    player(0).reachEnd();
    sounds().stop();
    driver.runUntilIdle();
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(sounds().isPlaying());
}

TEST_F(Sounds, StopThenResumeDoesNothingPauseThenResumeContinues)
{
    sounds().playAudio("ding", "wav", false);
    driver.runUntilIdle();
    sounds().pause();
    driver.runUntilIdle();
    EXPECT_FALSE(sounds().isPlaying());
    sounds().resume();
    driver.runUntilIdle();
    EXPECT_TRUE(sounds().isPlaying());
    EXPECT_EQ(player(0).calls(), (std::vector<std::string> {"prepare", "play", "pause", "play"}));
    sounds().stop();
    sounds().resume();
    driver.runUntilIdle();
    EXPECT_EQ(player(0).calls().back(), "stop");
    EXPECT_FALSE(sounds().isPlaying());
    EXPECT_EQ(sounds().audioPlayer(), nullptr);
}

// Under the thread sanitizer build this shows that reading isPlaying races with nothing.
TEST_F(Sounds, IsPlayingMayBeReadWhileTheMainQueueReplacesThePlayer)
{
    std::atomic<bool> done {false};
    std::atomic<int> seenPlaying {0};
    std::thread reader([&] {
        while (!done)
            seenPlaying += sounds().isPlaying() ? 1 : 0;
    });
    for (int i = 0; i < 200; ++i) {
        sounds().playAudio(i % 2 ? "ding" : "chime", i % 2 ? "wav" : "aiff", false);
        driver.runUntilIdle();
    }
    done = true;
    reader.join();
    EXPECT_EQ(script->made.size(), 200u);
    EXPECT_TRUE(sounds().isPlaying());
}

TEST(Speech, SpeakPassesTheTextAsItsOneArgumentAndWaits)
{
    TempRoot root;
    const fs::path record = root.path() / "said";
    FakeTool say(root.path(), "/usr/bin/say", "sleep 0.1; printf '%s\\n' \"$#\" \"$@\" > '" + record.string() + "'");
    for (const std::string text : {"-v Ting-Ting hello", "两个 words; $(rm -rf x)"}) {
        QVSpeechManager::speak(text);
        EXPECT_EQ(readText(record), "1\n" + text + "\n");
    }
}

TEST(Speech, SpeakWithoutASpeechToolReportsNothing)
{
    ConsoleCapture console;
    QVSpeechManager::speak("hello"); // "/usr/bin/say" is not available by default
    EXPECT_EQ(console.output(), "");
}

TEST(Speech, SelectedTextCutsOffTheSpeechInProgress)
{
    const auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    SystemPlatform::SpeechSynthesizer::setFactory(FakeSpeechSynthesizer::factory(log));
    TestAccess::resetForTesting<QVSpeechManager>();
    QVSpeechManager::speakSelectedText("第一");
    QVSpeechManager::speakSelectedText("-second");
    QVSpeechManager::stopSpeaking();
    const std::string voice = "voice com.apple.speech.synthesis.voice.meijia";
    EXPECT_EQ(log->calls,
              (std::vector<std::string> {"stop", voice, "start 第一", "stop", voice, "start -second", "stop"}));
    EXPECT_EQ(log->made, 1);
    TestAccess::resetForTesting<QVSpeechManager>();
    SystemPlatform::SpeechSynthesizer::setFactory({});
}

} // namespace
