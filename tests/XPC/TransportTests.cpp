#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Listener.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/XPC/LoopbackTransport.h"
#include "tests/Support/XPC/RecordingTransport.h"
#include "tests/XPC/XPCTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace XPCTest;
using XPC::Error;
using XPC::Message;
using XPC::RecordingTransport;

namespace {

const std::string service = "com.norvane.AerloOffline.SMC.Helper";

enum class Kind { socket, loopback, recording };

// The same service behind each transport; `received` logs what it got, in order.
struct Stage {
    explicit Stage(Kind kind)
    {
        auto handler = [this](XPC::PeerConnection& peer, const XPC::Request& r) {
            return echoService(peer, r, received);
        };
        switch (kind) {
        case Kind::socket:
            root = std::make_unique<TempRoot>();
            listener = std::make_unique<XPC::Listener>(XPC::Connection::socketPath(service));
            listener->setMessageHandler(handler);
            EXPECT_TRUE(listener->start());
            transport = std::make_unique<XPC::Connection>(service);
            break;
        case Kind::loopback:
            transport = std::make_unique<XPC::LoopbackTransport>(service, handler);
            break;
        case Kind::recording: {
            auto recorder = std::make_unique<RecordingTransport>(service);
            recorder->setResponder([this](const XPC::Request& r) {
                received.add(r.sel + " " + r.args.dump());
                if (r.sel == "echo")
                    return RecordingTransport::Response::reply(r.args.at(0).get<std::string>());
                if (r.sel == "close")
                    return RecordingTransport::Response::fail();
                if (r.sel == "silent")
                    return RecordingTransport::Response::pending();
                return RecordingTransport::Response::reply();
            });
            transport = std::move(recorder);
            break;
        }
        }
        transport->setInvalidationHandler([this] { invalidations.add("invalidated"); });
    }

    ~Stage()
    {
        transport.reset();
        listener.reset();
    }

    Log received;
    Log invalidations;
    std::unique_ptr<TempRoot> root;
    std::unique_ptr<XPC::Listener> listener;
    std::unique_ptr<XPC::Transport> transport;
};

struct TransportContract : ::testing::TestWithParam<Kind> {
    Stage setup {GetParam()};
    Outcomes outcomes;
    XPC::Transport& transport = *setup.transport;
};

std::string kindName(const ::testing::TestParamInfo<Kind>& info)
{
    switch (info.param) {
    case Kind::socket:
        return "Socket";
    case Kind::loopback:
        return "Loopback";
    case Kind::recording:
        return "Recording";
    }
    return "Unknown";
}

void PrintTo(Kind kind, std::ostream* out) { *out << kindName(::testing::TestParamInfo<Kind>(kind, 0)); }

} // namespace

INSTANTIATE_TEST_SUITE_P(AllTransports, TransportContract,
                         ::testing::Values(Kind::socket, Kind::loopback, Kind::recording), kindName);

TEST_P(TransportContract, RepliesComeBackOnAnotherThreadInOrder)
{
    transport.resume();
    transport.send(request("setSMCPath:", {"/Applications/Aerlo.app/Contents/Resources/SMC"}));
    transport.send(request("echo", {"1.0.0"}), outcomes.reply("a"), outcomes.error("a"));
    transport.send(request("null"), outcomes.reply("b"), outcomes.error("b"));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"a reply:1.0.0", "b reply:null"}));
    EXPECT_EQ(setup.received.entries(),
              (std::vector<std::string> {"setSMCPath: [\"/Applications/Aerlo.app/Contents/Resources/SMC\"]",
                                         "echo [\"1.0.0\"]", "null []"}));
    std::lock_guard lock(outcomes.mutex);
    for (auto thread : outcomes.threads)
        EXPECT_NE(thread, std::this_thread::get_id());
}

TEST_P(TransportContract, EveryMessageGetsExactlyOneOutcomeWhenTheServiceCloses)
{
    transport.resume();
    transport.send(request("echo", {"x"}), outcomes.reply("1"), outcomes.error("1"));
    transport.send(request("silent"), outcomes.reply("2"), outcomes.error("2"));
    transport.send(request("close"), outcomes.reply("3"), outcomes.error("3"));
    ASSERT_TRUE(outcomes.log.waitFor(3));
    ASSERT_TRUE(setup.invalidations.waitFor(1));
    setup.transport.reset(); // everything queued has run
    const auto entries = outcomes.log.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], "1 reply:x");
    EXPECT_EQ(entries[1], errorEntry("2", Error::Code::connectionInterrupted));
    EXPECT_EQ(entries[2].rfind("3 error:", 0), 0u);
    EXPECT_EQ(setup.invalidations.size(), 1u);
}

TEST_P(TransportContract, AfterTheConnectionIsLostTheNextMessageStillGoesOut)
{
    transport.resume();
    transport.send(request("close"), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    ASSERT_TRUE(setup.invalidations.waitFor(1));
    transport.send(request("echo", {"again"}), outcomes.reply("2"), outcomes.error("2"));
    transport.send(request("close"), outcomes.reply("3"), outcomes.error("3"));
    ASSERT_TRUE(outcomes.log.waitFor(3));
    transport.send(request("echo", {"and again"}), outcomes.reply("4"), outcomes.error("4"));
    ASSERT_TRUE(outcomes.log.waitFor(4));
    setup.transport.reset();
    const auto entries = outcomes.log.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1], "2 reply:again");
    EXPECT_EQ(entries[3], "4 reply:and again");
    EXPECT_EQ(setup.invalidations.size(), 1u); // once per connection object
}

TEST_P(TransportContract, InvalidateFailsWhatIsPendingAndEverythingAfter)
{
    transport.resume();
    transport.send(request("silent"), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(setup.received.waitFor(1));
    transport.invalidate();
    transport.send(request("echo", {"late"}), outcomes.reply("2"), outcomes.error("2"));
    transport.send(request("echo", {"late"}));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    setup.transport.reset();
    const auto invalid = Error::Code::connectionInvalid;
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {errorEntry("1", invalid), errorEntry("2", invalid)}));
    EXPECT_EQ(setup.received.size(), 1u);
    EXPECT_EQ(setup.invalidations.size(), 1u);
}

TEST_P(TransportContract, HoldsMessagesUntilResumed)
{
    transport.send(request("silent", {1}));
    transport.send(request("echo", {"2"}), outcomes.reply("held"), outcomes.error("held"));
    EXPECT_EQ(setup.received.size(), 0u);
    transport.resume();
    transport.send(request("silent", {3}));
    ASSERT_TRUE(setup.received.waitFor(3));
    EXPECT_EQ(setup.received.entries(), (std::vector<std::string> {"silent [1]", "echo [\"2\"]", "silent [3]"}));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    EXPECT_EQ(outcomes.log.entries()[0], "held reply:2");
}

TEST_P(TransportContract, RefusesWhatIsNotARequest)
{
    ConsoleCapture console;
    transport.resume();
    transport.send(Message {{"selector", "update"}}, outcomes.reply("1"), outcomes.error("1"));
    transport.send(request("echo", {std::string("\xff")}), outcomes.reply("2"), outcomes.error("2"));
    transport.send(request("echo", {std::string(70000, 'x')}), outcomes.reply("3"), outcomes.error("3"));
    transport.send(Message {{"sel", "update"}}); // no args, and no one to tell: one printed line
    ASSERT_TRUE(outcomes.log.waitFor(3));
    const auto invalid = Error::Code::messageInvalid;
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {errorEntry("1", invalid), errorEntry("2", invalid),
                                                                 errorEntry("3", invalid)}));
    EXPECT_EQ(console.errors(), "A message to service named " + service + " could not be encoded.\n");
    EXPECT_EQ(setup.received.size(), 0u);
    EXPECT_EQ(setup.invalidations.size(), 0u);
}

TEST(RecordingTransport, RecordsEachMessageAsSentWithItsId)
{
    RecordingTransport recorder;
    recorder.resume();
    recorder.send(request("setSMCPath:", {"/SMC"}));
    recorder.send(
        request("setFanModeWithId:mode:completion:", {0, 1}), [](auto) {}, [](auto&) {});
    recorder.send(XPC::MessageCodec::makeRequest(99, "update")); // a caller's id is replaced
    EXPECT_EQ(recorder.selectors(),
              (std::vector<std::string> {"setSMCPath:", "setFanModeWithId:mode:completion:", "update"}));
    const auto messages = recorder.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].dump(), R"({"id":1,"sel":"setSMCPath:","args":["/SMC"]})");
    EXPECT_EQ(messages[1].dump(), R"({"id":2,"sel":"setFanModeWithId:mode:completion:","args":[0,1]})");
    EXPECT_EQ(messages[2].dump(), R"({"id":3,"sel":"update","args":[]})");
    recorder.clear();
    EXPECT_TRUE(recorder.messages().empty());
}

TEST(RecordingTransport, RepliesAsScriptedAndFailsPendingOnDisconnect)
{
    RecordingTransport recorder;
    Outcomes outcomes;
    Log invalidations;
    recorder.setInvalidationHandler([&] { invalidations.add("invalidated"); });
    recorder.resume();
    recorder.send(request("versionWithCompletion:"), outcomes.reply("default"), outcomes.error("default"));
    recorder.setResponder([](const XPC::Request& r) {
        return r.sel == "versionWithCompletion:" ? RecordingTransport::Response::reply("1.0.0")
                                                 : RecordingTransport::Response::pending();
    });
    recorder.send(request("versionWithCompletion:"), outcomes.reply("version"), outcomes.error("version"));
    recorder.send(request("setFanSpeedWithId:value:completion:", {0, 2000}), outcomes.reply("speed"),
                  outcomes.error("speed"));
    recorder.drain();
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"default reply:null", "version reply:1.0.0"}));
    recorder.disconnect();
    recorder.drain();
    EXPECT_EQ(outcomes.log.entries().back(), errorEntry("speed", Error::Code::connectionInterrupted));
    EXPECT_EQ(invalidations.entries(), (std::vector<std::string> {"invalidated"}));
}

TEST(LoopbackTransport, ServesOnTheSendersThreadWithThisProcessAsThePeer)
{
    std::thread::id servedOn;
    XPC::PeerCredentials peer;
    XPC::LoopbackTransport loopback(service, [&](XPC::PeerConnection& connection, const XPC::Request& r) {
        servedOn = std::this_thread::get_id();
        peer = connection.credentials();
        return connection.reply(r.id, "done");
    });
    Outcomes outcomes;
    loopback.resume();
    loopback.send(request("uninstall"), outcomes.reply("1"), outcomes.error("1"));
    // The service has acted by the time send returns; the reply comes on the private queue.
    EXPECT_EQ(servedOn, std::this_thread::get_id());
    EXPECT_EQ(peer.pid, getpid());
    EXPECT_EQ(peer.uid, getuid());
    loopback.drain();
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"1 reply:done"}));
}
