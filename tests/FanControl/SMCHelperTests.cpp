#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/XPC/Socket.h"
#include "tests/FanControl/HelperClientTest.h"
#include "tests/Support/TestAccess.h"
#include "tests/Support/XPC/LoopbackTransport.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using Aerlo::SMCHelper;
using XPC::RecordingTransport;

class SMCHelperTest : public HelperClientTest {};

TEST_F(SMCHelperTest, EveryMessageFollowsItsOwnSMCPathInOrder)
{
    EXPECT_FALSE(helper().isConnected());
    helper().setFanMode(0, 1);
    helper().setFanMode(1, 1);
    helper().setFanSpeed(1, 2400);
    helper().update();
    EXPECT_EQ(sent(),
              (std::vector<std::string> {smcPathLine(), modeSelector + " [0,1]", smcPathLine(), modeSelector + " [1,1]",
                                         smcPathLine(), speedSelector + " [1,2400]", smcPathLine(), "update []"}));
    EXPECT_TRUE(helper().isConnected());
    EXPECT_EQ(connectionsMade(), 1u);
}

TEST_F(SMCHelperTest, PrintsOnlyRepliesThatHoldText)
{
    const struct {
        std::optional<std::string> reply;
        std::vector<std::string> printed;
    } cases[] = {
        {std::nullopt, {}},
        {"", {}},
        {"clamped to 1200", {"clamped to 1200"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.value_or("(absent)"));
        console_.clear();
        respond([&](const XPC::Request&) { return RecordingTransport::Response::reply(c.reply); });
        helper().setFanSpeed(0, 1000);
        EXPECT_TRUE(helper().flush(2.0));
        EXPECT_EQ(console_.lines(), c.printed);
    }
}

TEST_F(SMCHelperTest, AFailedProxyPrintsItsErrorOnce)
{
    respond([](const XPC::Request&) { return RecordingTransport::Response::fail(); });
    helper().setFanMode(0, 0); // both setSMCPath: and the mode message fail
    ASSERT_TRUE(helper().flush(2.0));
    drain();
    ASSERT_EQ(console_.lines().size(), 1u);
    EXPECT_EQ(console_.lines()[0].rfind("Couldn't connect to service named " + std::string(SMCHelper::label), 0), 0u);
    helper().setFanMode(1, 0); // another proxy, another line
    ASSERT_TRUE(helper().flush(2.0));
    drain();
    EXPECT_EQ(console_.lines().size(), 2u);
}

TEST_F(SMCHelperTest, WithoutTheSMCResourceMessagesStillGoAndOneLineSaysSo)
{
    fs::remove(bundle_ / "Contents" / "Resources" / "SMC");
    helper().setFanMode(0, 1);
    helper().setFanSpeed(0, 3000);
    EXPECT_EQ(sent(), (std::vector<std::string> {modeSelector + " [0,1]", speedSelector + " [0,3000]"}));
    EXPECT_EQ(console_.lines(),
              (std::vector<std::string> {"The application's resource \"SMC\" is missing; messages go to the helper "
                                         "without its path."}));
}

TEST_F(SMCHelperTest, AnInvalidatedConnectionIsEmptiedOnTheMainQueueAndNotReused)
{
    helper().setFanMode(0, 1);
    ASSERT_EQ(connectionsMade(), 1u);
    connection(0)->disconnect(); // the daemon goes away
    connection(0)->drain(); // its invalidation handler has run
    EXPECT_TRUE(helper().isConnected()) << "emptied only on the main queue";
    driver_.runUntilIdle();
    EXPECT_FALSE(helper().isConnected());

    helper().setFanMode(1, 1);
    ASSERT_EQ(connectionsMade(), 2u);
    EXPECT_EQ(connection(0)->messages().size(), 2u);
    EXPECT_EQ(connection(1)->selectors(), (std::vector<std::string> {"setSMCPath:", modeSelector}));
}

TEST_F(SMCHelperTest, AfterALossTheHandlerHearsOnceTheDaemonAnswersOnANewSocketOrThatItDidNotComeBack)
{
    const auto program = SystemPlatform::HelperPaths::installedProgram(SMCHelper::label);
    fs::create_directories(program.parent_path());
    std::ofstream(program) << "daemon";
    const auto socketPath = SystemPlatform::HelperPaths::socket(SMCHelper::label);
    int error = 0;
    auto dead = XPC::Socket::listen(socketPath, 0600, error); // the socket the daemon leaves when it dies
    ASSERT_TRUE(dead);
    std::vector<bool> told;
    helper().reconnectionHandler = [&](bool back) { told.push_back(back); };

    helper().setFanMode(0, 1);
    connection(0)->disconnect();
    connection(0)->drain();
    driver_.advance(SMCHelper::returnWaitSeconds - 1);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(connectionsMade(), 1u) << "the same socket file is not asked";

    // The restarted daemon renames its own socket in place: asked, it answers.
    dead.reset();
    auto restarted = XPC::Socket::listen(socketPath, 0600, error);
    ASSERT_TRUE(restarted);
    driver_.advance(SMCHelper::returnPollSeconds);
    drain();
    driver_.runUntilIdle();
    EXPECT_EQ(told, std::vector<bool> {true});
    ASSERT_EQ(connectionsMade(), 2u);
    EXPECT_EQ(connection(1)->selectors(), (std::vector<std::string> {"setSMCPath:", "versionWithCompletion:"}));

    // Lost again, and nothing comes back: told once, when the wait is over.
    connection(1)->disconnect();
    connection(1)->drain();
    driver_.advance(SMCHelper::returnWaitSeconds + 1);
    EXPECT_EQ(told, (std::vector<bool> {true, false}));
    driver_.advance(30);
    EXPECT_EQ(told, (std::vector<bool> {true, false}));
}

TEST_F(SMCHelperTest, FlushWaitsForTheRepliesWithinItsBound)
{
    respond([](const XPC::Request&) { return RecordingTransport::Response::pending(); });
    helper().setFanMode(0, 0);
    EXPECT_FALSE(helper().flush(0.01));
    connection(0)->disconnect(); // the reply fails
    EXPECT_TRUE(helper().flush(2.0));
    EXPECT_TRUE(helper().flush(0.0));
}

TEST_F(SMCHelperTest, NoConnectionMeansNoProxyAndTheCallbackIsTold)
{
    TestAccess::resetForTesting<SMCHelper>([] { return std::shared_ptr<XPC::Transport>(); });
    int told = 0;
    EXPECT_FALSE(helper().helperProxy([&] { ++told; }).has_value());
    EXPECT_EQ(told, 1);
    helper().setFanMode(0, 1); // dropped without a word
    EXPECT_FALSE(helper().isConnected());
    EXPECT_TRUE(console_.lines().empty());
}

TEST_F(SMCHelperTest, IsInstalledOnlyForTheExactFile)
{
    const auto program = SystemPlatform::HelperPaths::installedProgram(SMCHelper::label);
    fs::create_directories(program.parent_path());
    EXPECT_FALSE(helper().isInstalled());
    std::ofstream(program.string() + ".bak") << "old";
    EXPECT_FALSE(helper().isInstalled()) << "a file whose name merely contains the label";
    fs::create_directory(program);
    EXPECT_FALSE(helper().isInstalled()) << "a folder is no program";
    fs::remove(program);
    std::ofstream(program) << "daemon";
    EXPECT_TRUE(helper().isInstalled());
}

TEST(SMCHelperShell, ReadsLongOutputToItsEnd)
{
    const std::string output = SMCHelper::shell("head -c 200000 /dev/zero | tr '\\0' a; echo");
    ASSERT_EQ(output.size(), 200001u);
    EXPECT_EQ(output.find_first_not_of('a'), 200000u);
}

TEST(SMCHelperShell, DecodesInvalidUTF8WithReplacementCharacters)
{
    EXPECT_EQ(SMCHelper::shell("printf 'ok \\303\\251 \\377x \\342\\202'"),
              "ok \xC3\xA9 \xEF\xBF\xBDx \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SMCHelper::shell("exit 3"), "");
}

TEST_F(SMCHelperTest, ADaemonServedInProcessGetsTheSameMessages)
{
    std::vector<std::string> received; // on the sender's thread, one at a time
    TestAccess::resetForTesting<SMCHelper>([&] {
        return std::make_shared<XPC::LoopbackTransport>(
            std::string(SMCHelper::label), [&](XPC::PeerConnection& peer, const XPC::Request& request) {
                received.push_back(request.sel + " " + request.args.dump());
                if (request.sel == speedSelector)
                    return peer.reply(request.id, "clamped to 1200");
                return request.sel != modeSelector || peer.reply(request.id, std::nullopt);
            });
    });
    helper().setFanMode(0, 1);
    helper().setFanSpeed(0, 900);
    ASSERT_TRUE(helper().flush(2.0));
    EXPECT_EQ(received, (std::vector<std::string> {smcPathLine(), modeSelector + " [0,1]", smcPathLine(),
                                                   speedSelector + " [0,900]"}));
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"clamped to 1200"});
}
