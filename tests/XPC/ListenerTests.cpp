#include "Platform/Foundation/ManualClock.h"
#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Listener.h"
#include "Platform/XPC/Socket.h"
#include "tests/Support/TempRoot.h"
#include "tests/XPC/XPCTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <poll.h>
#include <sys/socket.h>
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
    std::string bytes{static_cast<char>(n >> 24), static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                      static_cast<char>(n & 0xFF)};
    return bytes + std::string(payload);
}

Socket::Deadline soon() { return std::chrono::steady_clock::now() + std::chrono::seconds(2); }

// A bare client, to send the bytes a well-behaved connection never would.
struct RawClient {
    Socket socket;

    bool connect(const std::filesystem::path& path)
    {
        int error = 0;
        auto connected = Socket::connect(path, soon(), error);
        if (connected)
            socket = std::move(*connected);
        return connected.has_value();
    }

    bool write(std::string_view bytes)
    {
        int error = 0;
        return socket.writeAll(bytes, soon(), error) == Socket::WriteResult::written;
    }

    // The next frame's payload, or "<closed>" when the service closed the connection (bounded wait).
    std::string next()
    {
        MessageCodec codec;
        for (;;) {
            pollfd ready{socket.fd(), POLLIN, 0};
            if (poll(&ready, 1, 2000) != 1)
                return "<timeout>";
            char buffer[4096];
            const ssize_t n = socket.read(buffer, sizeof buffer);
            if (n == -1)
                continue;
            if (n <= 0)
                return "<closed>";
            auto result = codec.feed(buffer, static_cast<std::size_t>(n));
            if (!result.messages.empty())
                return result.messages.front().dump();
        }
    }
};

struct ListenerTest : ::testing::Test {
    TempRoot root;
    Log received;
    Log rejections;
    std::filesystem::path path = Connection::socketPath(service);

    void serve(Listener& listener)
    {
        listener.setMessageHandler([this](XPC::PeerConnection& peer, const XPC::Request& r) {
            return echoService(peer, r, received);
        });
        listener.setRejectionHandler([this](const XPC::PeerCredentials& peer, std::string_view reason) {
            EXPECT_EQ(peer.pid, getpid());
            rejections.add(std::string(reason));
        });
        ASSERT_TRUE(listener.start()) << listener.errorDescription();
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
    EXPECT_FALSE(second.start());
    EXPECT_EQ(second.errorDescription(), "Couldn't listen on " + path.string() + ": Address already in use");
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
    ASSERT_TRUE(client.write(frame(R"({"id":1,"sel":"close","args":[]})") + frame(R"({"id":2,"sel":"echo","args":["x"]})")));
    EXPECT_EQ(client.next(), "<closed>");
    EXPECT_EQ(received.entries(), (std::vector<std::string>{"close []"})); // nothing after the refusal
    EXPECT_TRUE(rejections.entries().empty());
}

TEST_F(ListenerTest, RefusesConnectionsBeyondTheCap)
{
    Listener::Options options;
    options.maximumConnections = 2;
    Listener listener(path, options);
    serve(listener);
    RawClient a, b, c;
    ASSERT_TRUE(a.connect(path) && b.connect(path));
    for (RawClient* client : {&a, &b}) {
        ASSERT_TRUE(client->write(frame(R"({"id":1,"sel":"echo","args":["in"]})")));
        EXPECT_EQ(client->next(), R"({"id":1,"reply":"in"})");
    }
    EXPECT_EQ(listener.connectionCount(), 2u);
    ASSERT_TRUE(c.connect(path));
    EXPECT_EQ(c.next(), "<closed>");
    EXPECT_EQ(rejections.entries(), (std::vector<std::string>{"too many connections"}));

    // A place frees up when a client leaves.
    a.socket.close();
    ASSERT_TRUE(b.write(frame(R"({"id":2,"sel":"echo","args":["sync"]})")));
    EXPECT_EQ(b.next(), R"({"id":2,"reply":"sync"})");
    RawClient d;
    ASSERT_TRUE(d.connect(path));
    ASSERT_TRUE(d.write(frame(R"({"id":1,"sel":"echo","args":["d"]})")));
    EXPECT_EQ(d.next(), R"({"id":1,"reply":"d"})");
}

TEST_F(ListenerTest, ClosesAConnectionThatSendsFasterThanTheRateCap)
{
    Foundation::ManualClock clock;
    Listener::Options options;
    options.messagesPerSecond = 3;
    options.clock = &clock;
    Listener listener(path, options);
    serve(listener);

    Outcomes outcomes;
    Connection connection(service);
    connection.resume();
    for (int i = 0; i < 3; ++i)
        connection.send(request("silent", {i}));
    connection.send(request("echo", {"fourth"}), outcomes.reply("4"), outcomes.error("4"));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    EXPECT_EQ(outcomes.log.entries(), (std::vector<std::string>{errorEntry("4", Error::Code::connectionInterrupted)}));
    EXPECT_EQ(received.entries(), (std::vector<std::string>{"silent [0]", "silent [1]", "silent [2]"}));
    EXPECT_EQ(rejections.entries(), (std::vector<std::string>{"message rate exceeded"}));

    // Spread over time the same messages pass.
    RawClient client;
    ASSERT_TRUE(client.connect(path));
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(client.write(frame(R"({"id":)" + std::to_string(i) + R"(,"sel":"echo","args":["x"]})")));
        EXPECT_EQ(client.next(), R"({"id":)" + std::to_string(i) + R"(,"reply":"x"})");
        clock.advance(0.34);
    }
}

TEST_F(ListenerTest, ThePeerFilterSeesTheClientsCredentialsAndCanRefuseIt)
{
    std::vector<XPC::PeerCredentials> peers;
    Listener listener(path);
    listener.setPeerFilter([&](const XPC::PeerCredentials& peer) {
        peers.push_back(peer);
        return false;
    });
    serve(listener);
    Outcomes outcomes;
    Connection connection(service);
    connection.resume();
    connection.send(request("echo", {"x"}), outcomes.reply("1"), outcomes.error("1"));
    ASSERT_TRUE(outcomes.log.waitFor(1));
    EXPECT_EQ(outcomes.log.entries()[0].find("1 error:"), 0u);
    ASSERT_TRUE(rejections.waitFor(1));
    EXPECT_EQ(rejections.entries()[0], "peer refused");
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
