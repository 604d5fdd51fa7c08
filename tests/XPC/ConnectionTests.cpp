#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Listener.h"
#include "Platform/XPC/Socket.h"
#include "tests/Support/TempRoot.h"
#include "tests/XPC/XPCTestSupport.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

using namespace XPCTest;
using XPC::Connection;
using XPC::Error;
using XPC::Listener;
using XPC::Message;

namespace {

const std::string service = "com.norvane.AerloOffline.SMC.Helper";

// A listener running the echo service, counting the connections it accepts.
struct Service {
    explicit Service(Listener::Options options = {}) : listener(Connection::socketPath(service), options)
    {
        listener.setPeerAdmission([this](const XPC::PeerCredentials&) {
            ++accepted;
            return Foundation::Result<void>();
        });
        listener.setMessageHandler(
            [this](XPC::PeerConnection& peer, const XPC::Request& r) { return echoService(peer, r, received); });
    }
    Log received; // outlives the listener's thread
    std::atomic<int> accepted {0};
    Listener listener;
};

// A bare server's side of the admission: accepts the next client and greets it (on a thread of its
// own, since the client's first send waits for the greeting).
std::thread admitNext(const XPC::Socket& server, std::optional<XPC::Socket>& peer)
{
    return std::thread([&server, &peer] {
        pollfd ready {server.fd(), POLLIN, 0};
        if (poll(&ready, 1, 2000) != 1)
            return;
        peer = server.accept();
        if (peer)
            peer->writeSome(XPC::MessageCodec::greetingFrame());
    });
}

struct ConnectionTest : ::testing::Test {
    TempRoot root;
    Outcomes outcomes;
    Log invalidations;

    std::unique_ptr<Connection> connect()
    {
        auto connection = std::make_unique<Connection>(service);
        connection->setInvalidationHandler([this] { invalidations.add("invalidated"); });
        connection->resume();
        return connection;
    }
};

} // namespace

TEST_F(ConnectionTest, SocketLiesUnderTheRootsVarRun)
{
    EXPECT_EQ(Connection::socketPath(service), root.path() / "var/run/com.norvane.AerloOffline.SMC.Helper.sock");
    EXPECT_EQ(Connection(service).socketPath(), Connection::socketPath(service));
}

TEST_F(ConnectionTest, RepliesAreMatchedToTheirRequestsById)
{
    // The service answers "hold" only when "release" comes, after answering "release": replies arrive in reverse.
    std::uint64_t held = 0;
    Listener listener(Connection::socketPath(service));
    listener.setMessageHandler([&](XPC::PeerConnection& peer, const XPC::Request& r) {
        if (r.sel == "hold") {
            held = r.id;
            return true;
        }
        return peer.reply(r.id, "released") && peer.reply(held, "held");
    });
    ASSERT_TRUE(listener.start());
    auto connection = connect();
    connection->send(request("hold"), outcomes.reply("first"), outcomes.error("first"));
    connection->send(request("release"), outcomes.reply("second"), outcomes.error("second"));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"second reply:released", "first reply:held"}));
}

TEST_F(ConnectionTest, RepliesAndErrorsRunOnTheConnectionsPrivateThread)
{
    Service s;
    std::atomic<std::thread::id> handlerThread;
    s.listener.setMessageHandler([&](XPC::PeerConnection& peer, const XPC::Request& r) {
        handlerThread = std::this_thread::get_id();
        return echoService(peer, r, s.received);
    });
    ASSERT_TRUE(s.listener.start());
    auto connection = connect();
    connection->send(request("echo", {"a"}), outcomes.reply("1"), outcomes.error("1"));
    connection->send(request("close"), outcomes.reply("2"), outcomes.error("2"));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    EXPECT_EQ(outcomes.log.entries(),
              (std::vector<std::string> {"1 reply:a", errorEntry("2", Error::Code::connectionInterrupted)}));
    std::lock_guard lock(outcomes.mutex);
    ASSERT_EQ(outcomes.threads.size(), 2u);
    EXPECT_NE(outcomes.threads[0], std::this_thread::get_id());
    EXPECT_NE(outcomes.threads[0], handlerThread.load());
    EXPECT_EQ(outcomes.threads[0], outcomes.threads[1]);
}

TEST_F(ConnectionTest, MessagesArriveInTheOrderSent)
{
    Service s;
    ASSERT_TRUE(s.listener.start());
    auto connection = connect();
    std::vector<std::string> expected;
    for (int i = 0; i < 50; ++i) {
        connection->send(request(i % 2 ? "setSMCPath:" : "silent", {i}));
        expected.push_back(std::string(i % 2 ? "setSMCPath:" : "silent") + " [" + std::to_string(i) + "]");
    }
    ASSERT_TRUE(s.received.waitFor(50));
    EXPECT_EQ(s.received.entries(), expected);
    EXPECT_EQ(s.accepted, 1);
}

TEST_F(ConnectionTest, AfterTheServiceRestartsTheNextMessageGoesOnANewConnection)
{
    auto first = std::make_unique<Service>();
    ASSERT_TRUE(first->listener.start());
    auto connection = connect();
    connection->send(request("echo", {"one"}), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(outcomes.log.waitFor(1));

    first.reset(); // the daemon goes away
    Service second;
    ASSERT_TRUE(second.listener.start());
    connection->send(request("echo", {"two"}), outcomes.reply("2"), outcomes.error("2"));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"1 reply:one", "2 reply:two"}));
    EXPECT_EQ(second.accepted, 1);
    ASSERT_TRUE(invalidations.waitFor(1));
}

TEST_F(ConnectionTest, AMessageSentBeforeTheLossIsNoticedIsSentAgainOnAFreshConnection)
{
    auto first = std::make_unique<Service>();
    ASSERT_TRUE(first->listener.start());
    auto connection = connect();
    // Keep the private thread busy so it cannot notice the service leaving.
    Gate busy;
    Log started;
    connection->send(request("echo", {"one"}),
                     [&](std::optional<std::string>) {
                         started.add("reply");
                         busy.wait();
                     },
                     {});
    ASSERT_TRUE(started.waitFor(1));
    first.reset();
    Service second;
    ASSERT_TRUE(second.listener.start());

    connection->send(request("echo", {"two"}), outcomes.reply("2"), outcomes.error("2"));
    ASSERT_TRUE(second.received.waitFor(1));
    EXPECT_EQ(second.received.entries(), (std::vector<std::string> {"echo [\"two\"]"}));
    busy.open();
    ASSERT_TRUE(outcomes.log.waitFor(1));
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {"2 reply:two"}));
    ASSERT_TRUE(invalidations.waitFor(1));
    connection.reset();
    EXPECT_EQ(invalidations.size(), 1u);
}

TEST_F(ConnectionTest, AnAbsentServiceGivesOneErrorPerMessageAndOneInvalidation)
{
    auto connection = connect();
    connection->send(request("setSMCPath:", {"/x"})); // nothing to report it to, and no crash
    connection->send(request("echo", {"a"}), outcomes.reply("1"), outcomes.error("1"));
    connection->send(request("echo", {"b"}), outcomes.reply("2"), outcomes.error("2"));
    ASSERT_TRUE(outcomes.log.waitFor(2));
    ASSERT_TRUE(invalidations.waitFor(1));
    connection.reset(); // runs whatever is still queued
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {errorEntry("1", Error::Code::connectionFailed),
                                                                 errorEntry("2", Error::Code::connectionFailed)}));
    EXPECT_EQ(invalidations.size(), 1u);
}

TEST_F(ConnectionTest, TheErrorNamesTheServiceAndTheCause)
{
    auto connection = connect();
    std::string description;
    Log done;
    connection->send(request("echo", {"a"}), {}, [&](const Error& e) {
        description = e.description;
        done.add("error");
    });
    ASSERT_TRUE(done.waitFor(1));
    EXPECT_EQ(description, "Couldn't connect to service named " + service + ": No such file or directory.");
}

TEST_F(ConnectionTest, DestroyingTheConnectionAnswersEveryPendingMessage)
{
    Service s;
    ASSERT_TRUE(s.listener.start());
    auto connection = connect();
    connection->send(request("silent"), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(s.received.waitFor(1));
    connection.reset();
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {errorEntry("1", Error::Code::connectionInvalid)}));
    EXPECT_EQ(invalidations.size(), 1u);
}

TEST_F(ConnectionTest, APeerClosingMidWriteDoesNotKillTheProcess)
{
    // A bare server: it answers the first message, then goes away while the client is busy.
    int error = 0;
    auto server = XPC::Socket::listen(Connection::socketPath(service), 0600, error);
    ASSERT_TRUE(server);
    auto connection = connect();
    // The layer ignores SIGPIPE; put the default back to show the writes themselves never raise it.
    struct sigaction previous {};
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &fallback, &previous);

    Gate busy;
    Log started;
    std::optional<XPC::Socket> peer;
    auto admitting = admitNext(*server, peer);
    connection->send(request("echo", {"a"}),
                     [&](std::optional<std::string>) {
                         started.add("reply");
                         busy.wait();
                     },
                     {});
    admitting.join();
    ASSERT_TRUE(peer);
    const auto first = XPC::MessageCodec::encode(XPC::MessageCodec::makeRequest(1, "echo", {"a"}));
    std::string got(first->size(), '\0');
    ASSERT_EQ(recv(peer->fd(), got.data(), got.size(), MSG_WAITALL), static_cast<ssize_t>(got.size()));
    EXPECT_EQ(got, *first);
    const auto reply = XPC::MessageCodec::encode(XPC::MessageCodec::makeReply(1, "a"));
    ASSERT_EQ(send(peer->fd(), reply->data(), reply->size(), 0), static_cast<ssize_t>(reply->size()));
    ASSERT_TRUE(started.waitFor(1));
    peer->close();
    server->close();

    const std::string big(60000, 'x');
    for (int i = 1; i <= 4; ++i)
        connection->send(request("echo", {big}), outcomes.reply(std::to_string(i)), outcomes.error(std::to_string(i)));
    busy.open();
    ASSERT_TRUE(outcomes.log.waitFor(4));
    sigaction(SIGPIPE, &previous, nullptr);
    const auto failed = Error::Code::connectionFailed;
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string> {errorEntry("1", failed), errorEntry("2", failed),
                                                                 errorEntry("3", failed), errorEntry("4", failed)}));
}

TEST_F(ConnectionTest, TheLayerIgnoresSIGPIPE)
{
    Connection connection(service);
    struct sigaction current {};
    ASSERT_EQ(sigaction(SIGPIPE, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST_F(ConnectionTest, AWriteTheServiceNeverReadsTimesOut)
{
    int error = 0;
    auto server = XPC::Socket::listen(Connection::socketPath(service), 0600, error);
    ASSERT_TRUE(server);
    auto connection = connect();
    std::optional<XPC::Socket> peer;
    auto admitting = admitNext(*server, peer);
    connection->send(request("echo", {"first"}), {}, {});
    admitting.join();
    connection->setSendTimeout(0.05);
    const std::string big(60000, 'x');
    // The socket buffers take a few frames; one of the next writes has to give up.
    for (int i = 0; i < 64 && outcomes.log.size() == 0; ++i)
        connection->send(request("echo", {big}), {}, outcomes.error(std::to_string(i)));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    const auto entry = outcomes.log.entries()[0];
    EXPECT_EQ(entry.substr(entry.find(' ')), errorEntry("", Error::Code::timedOut));
}
