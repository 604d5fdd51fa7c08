#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/EspeakSpeechSynthesizer.h"
#include "Platform/System/ProcessAudioPlayer.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using SystemPlatform::AudioPlayer;
using SystemPlatform::ProcessAudioPlayer;
namespace fs = std::filesystem;

namespace {

// A fake command-line player: the script body after "#!/bin/sh"; the file to play is "$1".
class FakePlayer : public ::testing::Test {
protected:
    ~FakePlayer() override { TestAccess::resetForTesting<Foundation::ToolMap>(); }

    void script(const std::string& body)
    {
        const fs::path path = root.path() / "afplay";
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0755);
        Foundation::ToolMap::set(ProcessAudioPlayer::toolPath, path.string());
    }
    fs::path sound()
    {
        const fs::path path = root.path() / "ding.wav";
        std::ofstream(path) << "RIFF";
        return path;
    }
    // Runs the main queue until `done` holds; the player is a real child process, so this waits for it.
    bool runUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            driver.runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    int linesIn(const fs::path& path)
    {
        std::ifstream in(path);
        int count = 0;
        for (std::string line; std::getline(in, line);)
            ++count;
        return count;
    }

    TempRoot root;
    Foundation::ManualRunLoopDriver driver;
};

TEST_F(FakePlayer, MakingAPlayerNeedsAReadableFileAndAPlayerProgram)
{
    script("exit 0");
    const auto missing = AudioPlayer::make(root.path() / "missing.wav");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), "The file “missing.wav” couldn’t be opened.");
    EXPECT_FALSE(AudioPlayer::make(root.path()));
    EXPECT_TRUE(AudioPlayer::make(sound()));
    Foundation::ToolMap::set(ProcessAudioPlayer::toolPath, "");
    const auto silent = AudioPlayer::make(sound());
    ASSERT_FALSE(silent);
    EXPECT_EQ(silent.error(), "No audio output is available.");
}

TEST_F(FakePlayer, PlaysTheFileAndReportsTheEndOnTheMainQueue)
{
    const fs::path runs = root.path() / "runs";
    script("echo \"$1\" >> '" + runs.string() + "'");
    auto player = AudioPlayer::make(sound()).value();
    std::vector<bool> ends;
    player->setFinishedHandler([&](bool successfully) { ends.push_back(successfully); });
    player->setNumberOfLoops(2);
    ASSERT_TRUE(player->prepareToPlay());
    ASSERT_TRUE(player->play());
    ASSERT_TRUE(runUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, std::vector<bool> {true});
    EXPECT_EQ(linesIn(runs), 3); // the first play and two repeats
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(FakePlayer, AFailingPlayerEndsUnsuccessfully)
{
    script("exit 1");
    auto player = AudioPlayer::make(sound()).value();
    std::vector<bool> ends;
    player->setFinishedHandler([&](bool successfully) { ends.push_back(successfully); });
    player->setNumberOfLoops(-1);
    ASSERT_TRUE(player->play());
    ASSERT_TRUE(runUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, std::vector<bool> {false});
}

TEST_F(FakePlayer, StopEndsThePlayerWithoutReportingAnEnd)
{
    const fs::path pidFile = root.path() / "pid";
    script("echo $$ > '" + pidFile.string() + "'; exec sleep 30");
    auto player = AudioPlayer::make(sound()).value();
    int ends = 0;
    player->setFinishedHandler([&](bool) { ++ends; });
    ASSERT_TRUE(player->play());
    ASSERT_TRUE(runUntil([&] { return linesIn(pidFile) == 1; }));
    std::ifstream in(pidFile);
    pid_t pid = 0;
    in >> pid;
    player->pause();
    EXPECT_FALSE(player->isPlaying());
    player->play();
    EXPECT_TRUE(player->isPlaying());
    player->pause();
    player->stop(); // also from the paused state
    EXPECT_FALSE(player->isPlaying());
    ASSERT_TRUE(runUntil([&] { return ::kill(pid, 0) != 0; }));
    driver.runUntilIdle();
    EXPECT_EQ(ends, 0);
}

TEST(SpeechStandIns, EspeakVoicesAndQuietDegradation)
{
    EXPECT_EQ(SystemPlatform::EspeakSpeechSynthesizer::espeakVoice("com.apple.speech.synthesis.voice.meijia"), "cmn");
    EXPECT_FALSE(SystemPlatform::EspeakSpeechSynthesizer::espeakVoice("com.apple.speech.synthesis.voice.Alex"));
    SystemPlatform::EspeakSpeechSynthesizer synthesizer;
    EXPECT_FALSE(synthesizer.setVoice("unknown"));
    EXPECT_TRUE(synthesizer.setVoice("com.apple.speech.synthesis.voice.meijia"));
    const bool engine = SystemPlatform::EspeakSpeechSynthesizer::programPath().has_value();
    EXPECT_EQ(synthesizer.startSpeaking("-x"), engine);
    synthesizer.stopSpeaking();
    EXPECT_FALSE(synthesizer.isSpeaking());
}

TEST(SpeechStandIns, TheSayStandInTakesEveryArgumentAsTextAndEnds)
{
    SystemPlatform::SpeechSynthesizer::installSayStandIn();
    EXPECT_EQ(Foundation::ToolMap::resolve("/usr/bin/say"), SystemPlatform::SpeechSynthesizer::sayStandInPath());
    const auto result = Foundation::Process::run("/usr/bin/say", {"--help", "-v", "x"});
    TestAccess::resetForTesting<Foundation::ToolMap>();
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.stdout_, "");
    const bool engine = SystemPlatform::EspeakSpeechSynthesizer::programPath().has_value();
    EXPECT_EQ(result.status, engine ? 0 : 1);
}

} // namespace
