#include "Classes/FanControl/SMCHelper.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/XPC/Listener.h"
#include "tests/FanControl/HelperClientTest.h"
#include "tests/Support/TestAccess.h"
#include "tests/XPC/XPCTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using Aerlo::SMCHelper;
using XPCTest::Gate;
using XPCTest::Log;

namespace {

// A stand-in daemon on the helper's socket: logs "<sel> <args>", replies `reply` to the messages
// that take one, after `gate` opens when one is given.
std::unique_ptr<XPC::Listener> startDaemon(Log& received, std::string reply = "", Gate* gate = nullptr)
{
    auto listener = std::make_unique<XPC::Listener>(SystemPlatform::HelperPaths::socket(SMCHelper::label));
    listener->setMessageHandler([&received, reply, gate](XPC::PeerConnection& peer, const XPC::Request& request) {
        received.add(request.sel + " " + request.args.dump());
        if (request.sel == "setSMCPath:" || request.sel == "uninstall" || request.sel == "update")
            return true;
        if (gate)
            gate->wait();
        return peer.reply(request.id, reply);
    });
    const auto started = listener->start();
    EXPECT_TRUE(started) << started.error();
    return listener;
}

} // namespace

class SMCHelperSocketTest : public HelperClientTest {
protected:
    void SetUp() override
    {
        HelperClientTest::SetUp();
        TestAccess::resetForTesting<SMCHelper>(); // the socket connection
    }

    // Runs the main queue until the connection has been emptied (bounded).
    bool runUntilDisconnected()
    {
        for (int i = 0; i < 2000; ++i) {
            driver_.runUntilIdle();
            if (!helper().isConnected())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
};

TEST_F(SMCHelperSocketTest, WithNoDaemonTheSendReturnsAndTheErrorPrintsOnce)
{
    helper().setFanMode(0, 1);
    ASSERT_TRUE(helper().flush(2.0));
    ASSERT_EQ(console_.lines().size(), 1u);
    EXPECT_EQ(console_.lines()[0].rfind("Couldn't connect to service named " + std::string(SMCHelper::label), 0), 0u);
    EXPECT_TRUE(runUntilDisconnected());
}

TEST_F(SMCHelperSocketTest, AMessageSentWhileTheDaemonRestartsIsDeliveredOnAFreshConnection)
{
    Log first;
    auto daemon = startDaemon(first);
    helper().setFanMode(0, 1);
    ASSERT_TRUE(first.waitFor(2));
    ASSERT_TRUE(helper().flush(2.0));

    daemon.reset(); // the daemon restarts
    Log second;
    Gate answer;
    daemon = startDaemon(second, "ok", &answer);
    helper().setFanMode(1, 1); // before the old connection is emptied
    ASSERT_TRUE(second.waitFor(2));
    EXPECT_EQ(second.entries(), (std::vector<std::string> {smcPathLine(), modeSelector + " [1,1]"}));

    ASSERT_TRUE(runUntilDisconnected());
    answer.open(); // the reply comes after the connection it was sent on was emptied
    ASSERT_TRUE(helper().flush(2.0));
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"ok"}));

    helper().setFanMode(0, 0);
    EXPECT_TRUE(helper().isConnected());
    ASSERT_TRUE(second.waitFor(4));
    EXPECT_EQ(second.entries()[3], modeSelector + " [0,0]");
    ASSERT_TRUE(helper().flush(2.0));
}

TEST_F(SMCHelperSocketTest, ADaemonClosingTheConnectionDoesNotStopTheApplication)
{
    Log received;
    auto listener = std::make_unique<XPC::Listener>(SystemPlatform::HelperPaths::socket(SMCHelper::label));
    listener->setMessageHandler([&](XPC::PeerConnection&, const XPC::Request& request) {
        received.add(request.sel);
        return false; // refuses: closes the connection
    });
    ASSERT_TRUE(listener->start());
    for (int i = 0; i < 20; ++i)
        helper().setFanSpeed(i % 2, 1000 + i);
    ASSERT_TRUE(helper().flush(2.0));
    EXPECT_GE(received.size(), 1u);
    EXPECT_GE(console_.lines().size(), 1u) << "the closing is reported";
    EXPECT_LE(console_.lines().size(), 20u) << "at most one line per proxy";
}
