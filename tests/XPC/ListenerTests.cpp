#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Listener.h"
#include "Platform/XPC/Socket.h"
#include "tests/Support/Eventually.h"
#include "tests/Support/TempRoot.h"
#include "tests/XPC/XPCTestSupport.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace XPCTest;
using XPC::Connection;
using XPC::Error;
using XPC::Listener;
using XPC::MessageCodec;
using XPC::Socket;

namespace {

const std::string service = "com.norvane.AerloOffline.SMC.Helper";

std::string frame(std::string_view payload)
{
    const auto n = static_cast<std::uint32_t>(payload.size());
    std::string bytes {static_cast<char>(n >> 24), static_cast<char>((n >> 16) & 0xFF),
                       static_cast<char>((n >> 8) & 0xFF), static_cast<char>(n & 0xFF)};
    return bytes + std::string(payload);
}

Socket::Deadline soon() { return std::chrono::steady_clock::now() + std::chrono::seconds(2); }

// A bare client, to send the bytes a well-behaved connection never would.
struct RawClient {
    Socket socket;

    // Connects and, unless the service is expected to refuse, waits to be admitted (its greeting).
    bool connect(const std::filesystem::path& path, bool admitted = true)
    {
        int error = 0;
        auto connected = Socket::connect(path, soon(), error);
        if (connected)
            socket = std::move(*connected);
        return connected.has_value() && (!admitted || next() == greeting);
    }
    const std::string greeting = R"({"admitted":true})";

    bool write(std::string_view bytes)
    {
        int error = 0;
        return socket.writeAll(bytes, soon(), error) == Socket::WriteResult::written;
    }

    // The next frame's payload, or "<closed>" when the service closed the connection (bounded wait).
    std::string next()
    {
        for (;;) {
            if (!pending.empty()) {
                auto message = pending.front().dump();
                pending.erase(pending.begin());
                return message;
            }
            pollfd ready {socket.fd(), POLLIN, 0};
            if (poll(&ready, 1, 2000) != 1)
                return "<timeout>";
            char buffer[4096];
            const ssize_t n = socket.read(buffer, sizeof buffer);
            if (n == -1)
                continue;
            if (n <= 0)
                return "<closed>";
            auto result = codec.feed(buffer, static_cast<std::size_t>(n));
            pending.insert(pending.end(), result.messages.begin(), result.messages.end());
        }
    }

    MessageCodec codec;
    std::vector<XPC::Message> pending;
};

struct ListenerTest : ::testing::Test {
    TempRoot root;
    Log received;
    Log rejections;
    std::filesystem::path path = Connection::socketPath(service);

    void serve(Listener& listener)
    {
        listener.setMessageHandler(
            [this](XPC::PeerConnection& peer, const XPC::Request& r) { return echoService(peer, r, received); });
        listener.setRejectionHandler([this](const XPC::PeerCredentials& peer, std::string_view reason) {
            EXPECT_EQ(peer.pid, getpid());
            rejections.add(std::string(reason));
        });
        const auto started = listener.start();
        ASSERT_TRUE(started) << started.error();
    }
};

} // namespace

TEST_F(ListenerTest, BindsUnderTheRootAndRemovesTheSocketWhenStopped)
{
    Listener listener(path);
    serve(listener);
    EXPECT_TRUE(listener.isListening());
    EXPECT_TRUE(std::filesystem::is_socket(path));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              static_cast<std::filesystem::perms>(0666));
    listener.stop();
    EXPECT_FALSE(listener.isListening());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ListenerTest, SpeaksFirstOnceAdmittedAndClosesAPeerThatWroteBefore)
{
    std::atomic<bool> holding {true};
    Listener listener(path);
    listener.setPeerAdmission([&](const XPC::PeerCredentials&) {
        while (holding)
            std::this_thread::yield();
        return Foundation::Result<void>();
    });
    serve(listener);
    // Written while the listener is still deciding: never read.
    RawClient early;
    ASSERT_TRUE(early.connect(path, false));
    ASSERT_TRUE(early.write(frame(R"({"id":1,"sel":"echo","args":["early"]})")));
    holding = false;
    EXPECT_EQ(early.next(), "<closed>");
    EXPECT_EQ(rejections.entries(),
              (std::vector<std::string> {"bytes were written before the connection was admitted"}));

    RawClient polite;
    ASSERT_TRUE(polite.connect(path));
    ASSERT_TRUE(polite.write(frame(R"({"id":2,"sel":"echo","args":["after"]})")));
    EXPECT_EQ(polite.next(), R"({"id":2,"reply":"after"})");
    EXPECT_EQ(received.entries(), (std::vector<std::string> {"echo [\"after\"]"}));
}

TEST_F(ListenerTest, TheSocketFileAppearsOnlyOnceItListens)
{
    // Whoever sees the file can connect: never "connection refused" between bind and listen.
    std::atomic<bool> running {true};
    std::atomic<int> refused {0}, seen {0};
    std::thread watcher([&] {
        while (running) {
            if (!std::filesystem::exists(path))
                continue;
            ++seen;
            int error = 0;
            if (!Socket::connect(path, soon(), error) && error == ECONNREFUSED && std::filesystem::exists(path))
                ++refused;
        }
    });
    for (int round = 0; round < 200; ++round) {
        Listener listener(path);
        const auto started = listener.start();
        ASSERT_TRUE(started) << started.error();
    }
    running = false;
    watcher.join();
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(path.parent_path()), {}),
              std::vector<std::filesystem::path> {});
}

TEST_F(ListenerTest, ReplacesAStaleSocketButNotALiveOneOrAnotherFile)
{
    {
        int error = 0;
        auto stale = Socket::listen(path, 0600, error); // closed without removing its file
        ASSERT_TRUE(stale);
    }
    ASSERT_TRUE(std::filesystem::is_socket(path));
    Listener first(path);
    serve(first);

    Listener second(path);
    const auto refused = second.start();
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error(), "Couldn't listen on " + path.string() + ": Address already in use");
    second.stop(); // must not remove the first listener's socket
    EXPECT_TRUE(std::filesystem::is_socket(path));
    first.stop();

    std::ofstream(path) << "not a socket";
    Listener third(path);
    EXPECT_FALSE(third.start());
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST_F(ListenerTest, ClosesAConnectionOnABadFrameAndKeepsServingOthers)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"zero length", std::string("\0\0\0\0", 4), "empty frame"},
        // Refused on its header: the megabyte behind it is never read.
        {"1 MiB", std::string("\x00\x10\x00\x00", 4), "frame longer than 65536 bytes"},
        {"not UTF-8", frame("{\"a\":\"\xff\"}"), "frame is not UTF-8"},
        {"not JSON", frame("setFanModeWithId:mode:completion:"), "frame is not JSON"},
        {"not an object", frame("[1]"), "frame is not a JSON object"},
        {"id as text", frame(R"({"id":"1","sel":"echo","args":["x"]})"), "malformed request"},
        {"args not a list", frame(R"({"id":1,"sel":"echo","args":"x"})"), "malformed request"},
        {"unknown key", frame(R"({"id":1,"sel":"echo","args":["x"],"path":"/bin/sh"})"), "malformed request"},
        {"selector twice", frame(R"({"id":1,"sel":"echo","args":["x"],"sel":"close"})"), "frame names a key twice"},
        {"NUL byte", frame(std::string("{\"id\":1,\"sel\":\"echo\",\"args\":[\"x\"]}\0junk", 40)),
         "frame holds a NUL byte"},
        {"trailing data", frame(R"({"id":1,"sel":"echo","args":["x"]} {"id":2})"),
         "frame has data after its JSON value"},
    };
    Listener listener(path);
    serve(listener);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient client;
        ASSERT_TRUE(client.connect(path));
        ASSERT_TRUE(client.write(frame(R"({"id":1,"sel":"echo","args":["ok"]})") + c.bytes));
        EXPECT_EQ(client.next(), R"({"id":1,"reply":"ok"})");
        EXPECT_EQ(client.next(), "<closed>");
    }
    std::vector<std::string> reasons;
    for (const auto& c : cases)
        reasons.push_back(c.reason);
    EXPECT_EQ(rejections.entries(), reasons);

    RawClient good;
    ASSERT_TRUE(good.connect(path));
    ASSERT_TRUE(good.write(frame(R"({"id":5,"sel":"echo","args":["still here"]})")));
    EXPECT_EQ(good.next(), R"({"id":5,"reply":"still here"})");
}

TEST_F(ListenerTest, AHandlerThatRefusesAMessageClosesThatConnection)
{
    Listener listener(path);
    serve(listener);
    RawClient client;
    ASSERT_TRUE(client.connect(path));
    ASSERT_TRUE(
        client.write(frame(R"({"id":1,"sel":"close","args":[]})") + frame(R"({"id":2,"sel":"echo","args":["x"]})")));
    EXPECT_EQ(client.next(), "<closed>");
    EXPECT_EQ(received.entries(), (std::vector<std::string> {"close []"})); // nothing after the refusal
    EXPECT_TRUE(rejections.entries().empty());
}

TEST_F(ListenerTest, RefusesConnectionsBeyondEachCap)
{
    const std::function<void(Listener::Options&)> caps[] = {
        [](Listener::Options& options) { options.maximumConnections = 2; },
        [](Listener::Options& options) { options.maximumConnectionsPerUID = 2; },
        [](Listener::Options& options) { options.maximumConnectionsPerProcess = 2; },
    };
    for (const auto& cap : caps) {
        rejections.clear();
        Listener::Options options;
        cap(options);
        Listener listener(path, options);
        serve(listener);
        RawClient a, b, c;
        ASSERT_TRUE(a.connect(path) && b.connect(path));
        for (RawClient* client : {&a, &b}) {
            ASSERT_TRUE(client->write(frame(R"({"id":1,"sel":"echo","args":["in"]})")));
            EXPECT_EQ(client->next(), R"({"id":1,"reply":"in"})");
        }
        EXPECT_EQ(listener.connectionCount(), 2u);
        ASSERT_TRUE(c.connect(path, false));
        EXPECT_EQ(c.next(), "<closed>");
        EXPECT_EQ(rejections.entries(), (std::vector<std::string> {"too many connections"}));

        // A place frees up when a client leaves.
        a.socket.close();
        ASSERT_TRUE(b.write(frame(R"({"id":2,"sel":"echo","args":["sync"]})")));
        EXPECT_EQ(b.next(), R"({"id":2,"reply":"sync"})");
        RawClient d;
        ASSERT_TRUE(d.connect(path));
        ASSERT_TRUE(d.write(frame(R"({"id":1,"sel":"echo","args":["d"]})")));
        EXPECT_EQ(d.next(), R"({"id":1,"reply":"d"})");
    }
}

TEST_F(ListenerTest, AboveTheRateAProcessIsReadMoreSlowlyAcrossItsConnectionsNeverClosed)
{
    Listener::Options options;
    options.messagesPerSecond = 200;
    Listener listener(path, options);
    serve(listener);

    // Two connections of this process, 250 messages each, written at once: 500 messages at 200 a
    // second (the first second's worth at once) take at least 1.5 s, and every one is answered in order.
    RawClient a, b;
    ASSERT_TRUE(a.connect(path) && b.connect(path));
    std::string burst;
    for (int i = 1; i <= 250; ++i)
        burst += frame(R"({"id":)" + std::to_string(i) + R"(,"sel":"echo","args":["x"]})");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(a.write(burst));
    ASSERT_TRUE(b.write(burst));
    for (int i = 1; i <= 250; ++i) {
        ASSERT_EQ(a.next(), R"({"id":)" + std::to_string(i) + R"(,"reply":"x"})");
        ASSERT_EQ(b.next(), R"({"id":)" + std::to_string(i) + R"(,"reply":"x"})");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1400));
    EXPECT_EQ(received.size(), 500u);
    EXPECT_TRUE(rejections.entries().empty());
    EXPECT_EQ(listener.connectionCount(), 2u);
}

TEST_F(ListenerTest, AClientThatNeverReadsOrHoldsHalfAFrameIsClosedAndTheOthersAreServed)
{
    Listener::Options options;
    options.stallSeconds = 0.3;
    options.replyQueueBytes = 4096;
    Listener listener(path, options);
    serve(listener);

    RawClient deaf, half, good;
    ASSERT_TRUE(deaf.connect(path) && half.connect(path) && good.connect(path));
    int size = 0;
    socklen_t length = sizeof size;
    ::getsockopt(deaf.socket.fd(), SOL_SOCKET, SO_RCVBUF, &size, &length);
    // Enough replies to fill the socket's buffers and the reply queue.
    std::string flood;
    for (int i = 1; flood.size() < static_cast<std::size_t>(size) * 4; ++i)
        flood +=
            frame(R"({"id":)" + std::to_string(i) + R"(,"sel":"echo","args":[")" + std::string(200, 'r') + R"("]})");
    ASSERT_TRUE(deaf.write(flood.substr(0, 100000)));
    ASSERT_TRUE(half.write(frame(R"({"id":1,"sel":"echo","args":["x"]})").substr(0, 10)));
    ASSERT_TRUE(good.write(frame(R"({"id":1,"sel":"echo","args":["fine"]})")));
    EXPECT_EQ(good.next(), R"({"id":1,"reply":"fine"})");

    ASSERT_TRUE(rejections.waitFor(2, std::chrono::milliseconds(5000)));
    auto reasons = rejections.entries();
    std::sort(reasons.begin(), reasons.end());
    EXPECT_EQ(reasons[0], "an incomplete frame was held too long");
    EXPECT_EQ(reasons[1].find("the client does not read its replies ("), 0u) << reasons[1];
    EXPECT_NE(reasons[1].find(" replies not delivered)"), std::string::npos) << reasons[1];
    EXPECT_EQ(half.next(), "<closed>");
    ASSERT_TRUE(good.write(frame(R"({"id":2,"sel":"echo","args":["still"]})")));
    EXPECT_EQ(good.next(), R"({"id":2,"reply":"still"})");
}

TEST_F(ListenerTest, EveryReadIsCheckedAgainstItsSender)
{
    Listener listener(path);
    Log senders;
    listener.setSenderAdmission(
        [&](const XPC::PeerCredentials& peer, const XPC::PeerCredentials& sender) -> Foundation::Result<void> {
            senders.add(std::to_string(sender.pid));
            if (sender.pid != peer.pid)
                return Foundation::Error("process " + std::to_string(sender.pid) + " is not the client");
            return {};
        });
    serve(listener);
    RawClient client;
    ASSERT_TRUE(client.connect(path));
    ASSERT_TRUE(client.write(frame(R"({"id":1,"sel":"echo","args":["mine"]})")));
    EXPECT_EQ(client.next(), R"({"id":1,"reply":"mine"})");

    // A child writes on the inherited connection: refused, and nothing it wrote is handled.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string bytes = frame(R"({"id":2,"sel":"echo","args":["child"]})");
        const bool written =
            ::send(client.socket.fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
        ::_exit(written ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(client.next(), "<closed>");
    EXPECT_EQ(rejections.entries(),
              (std::vector<std::string> {"process " + std::to_string(child) + " is not the client"}));
    EXPECT_EQ(received.entries(), (std::vector<std::string> {"echo [\"mine\"]"}));
    EXPECT_EQ(senders.entries(), (std::vector<std::string> {std::to_string(::getpid()), std::to_string(child)}));
}

TEST_F(ListenerTest, ThePeerAdmissionSeesTheClientsCredentialsAndCanRefuseIt)
{
    std::vector<XPC::PeerCredentials> peers;
    Listener listener(path);
    listener.setPeerAdmission([&](const XPC::PeerCredentials& peer) -> Foundation::Result<void> {
        peers.push_back(peer);
        return Foundation::Error("not this one");
    });
    serve(listener);
    Outcomes outcomes;
    Connection connection(service);
    connection.resume();
    connection.send(request("echo", {"x"}), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    EXPECT_EQ(outcomes.log.entries()[0].find("1 error:"), 0u);
    EXPECT_TRUE(rejections.entries().empty()); // the admission says why itself
    ASSERT_FALSE(peers.empty());
    EXPECT_EQ(peers[0].pid, getpid());
    EXPECT_EQ(peers[0].uid, getuid());
    EXPECT_EQ(peers[0].gid, getgid());
    EXPECT_TRUE(received.entries().empty());
}

TEST_F(ListenerTest, AHandlerCanStopTheListener)
{
    Listener listener(path);
    listener.setMessageHandler([&](XPC::PeerConnection& peer, const XPC::Request& r) {
        received.add(r.sel);
        peer.reply(r.id, std::nullopt);
        listener.stop();
        return true;
    });
    ASSERT_TRUE(listener.start());
    RawClient client;
    ASSERT_TRUE(client.connect(path));
    ASSERT_TRUE(client.write(frame(R"({"id":1,"sel":"uninstall","args":[]})")));
    EXPECT_EQ(client.next(), R"({"id":1,"reply":null})");
    EXPECT_EQ(client.next(), "<closed>");
    EXPECT_FALSE(listener.isListening());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ListenerTest, AReplyCountsAsWrittenOnlyOnceTheSocketHasTakenItAll)
{
    Listener listener(path);
    std::atomic<int> queued {0};
    std::atomic<int> written {0};
    listener.setMessageHandler([&](XPC::PeerConnection& peer, const XPC::Request& request) {
        ++queued;
        return peer.reply(request.id, std::string(4000, 'r'), [&] { ++written; });
    });
    ASSERT_TRUE(listener.start());
    RawClient client;
    ASSERT_TRUE(client.connect(path));
    std::string requests;
    for (int i = 1; i <= 400; ++i)
        requests += frame(R"({"id":)" + std::to_string(i) + R"(,"sel":"big","args":[]})");
    ASSERT_TRUE(client.write(requests));
    // 1.6 MB of replies for a client that reads none: the socket takes some, the rest waits.
    ASSERT_TRUE(eventually([&] { return queued > 0 && written > 0; }));
    ASSERT_TRUE(eventually([&] {
        const int before = written;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return written == before; // nothing more moves while the client does not read
    }));
    EXPECT_LT(written.load(), queued.load());
    const int stalled = written;
    // Once the client reads, the rest is written, and counted, in order.
    for (int i = 1; i <= 400; ++i)
        ASSERT_EQ(XPC::Message::parse(client.next(), nullptr, false).value("id", 0), i);
    EXPECT_TRUE(eventually([&] { return written == 400; }));
    EXPECT_GT(written.load(), stalled);
}
