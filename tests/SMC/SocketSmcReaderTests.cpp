#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using IOKit::SocketSmcProtocol;
using IOKit::SocketSmcReader;
using Op = SocketSmcProtocol::Op;
using Status = SocketSmcProtocol::Status;

std::string frameBytes(Op op, const std::string& payload)
{
    std::string bytes(1, static_cast<char>(op));
    bytes.append(3, '\0');
    SocketSmcProtocol::putU32(bytes, static_cast<std::uint32_t>(payload.size()));
    return bytes + payload;
}

class SocketSmcReaderTest : public ::testing::TestWithParam<std::chrono::microseconds> {
protected:
    void SetUp() override
    {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        fds[0].reset(ends[0]);
        fds[1].reset(ends[1]);
    }
    void write(const std::string& bytes)
    {
        ASSERT_EQ(::write(fds[0].get(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void closeWriter()
    {
        fds[0].reset();
    }
    SocketSmcReader reader() { return SocketSmcReader(fds[1].get(), GetParam()); }

    Foundation::FileDescriptor fds[2];
};

TEST_P(SocketSmcReaderTest, FramesComeWholeAndInOrderHoweverTheBytesArrive)
{
    const std::vector<std::pair<Op, std::string>> frames{
        {Op::call, std::string(88, 'c')}, {Op::close, ""}, {Op::control, std::string(100000, 'j')}, {Op::open, "abcd"}};
    std::string all;
    for (const auto& [op, payload] : frames)
        all += frameBytes(op, payload);

    struct Case {
        const char* name;
        std::size_t piece; // bytes per write, 0: everything at once
    };
    for (const Case& test : {Case{"at once", 0}, Case{"byte by byte", 1}, Case{"in 7-byte pieces", 7}}) {
        SCOPED_TRACE(test.name);
        SocketSmcReader frameReader = reader();
        std::thread writer([&] {
            const std::size_t piece = test.piece ? test.piece : all.size();
            for (std::size_t at = 0; at < all.size(); at += piece)
                write(all.substr(at, piece));
        });
        for (const auto& [op, payload] : frames) {
            SocketSmcProtocol::Frame frame;
            ASSERT_EQ(frameReader.receive(frame), Status::ok);
            EXPECT_EQ(frame.op, op);
            EXPECT_EQ(frame.payload, payload);
        }
        writer.join();
    }
}

TEST_P(SocketSmcReaderTest, BadHeadersAreMalformed)
{
    const std::vector<std::pair<const char*, std::string>> headers{
        {"op 0", std::string("\0\0\0\0\0\0\0\0", 8)},
        {"op 6", std::string("\6\0\0\0\0\0\0\0", 8)},
        {"padding not zero", std::string("\3\0\1\0\0\0\0\0", 8)},
        {"longer than the limit", std::string("\3\0\0\0\1\0\x10\0", 8)},
    };
    for (const auto& [name, header] : headers) {
        SCOPED_TRACE(name);
        SocketSmcReader frameReader = reader();
        write(header);
        SocketSmcProtocol::Frame frame;
        EXPECT_EQ(frameReader.receive(frame), Status::malformed);
        char drain[16];
        while (::recv(fds[1].get(), drain, sizeof drain, MSG_DONTWAIT) > 0) {
        }
    }
}

TEST_P(SocketSmcReaderTest, PeerGoingMidFrameOrBetweenFramesIsClosed)
{
    SocketSmcReader frameReader = reader();
    write(frameBytes(Op::open, "abcd") + frameBytes(Op::call, std::string(88, 'x')).substr(0, 20));
    closeWriter();
    SocketSmcProtocol::Frame frame;
    ASSERT_EQ(frameReader.receive(frame), Status::ok);
    EXPECT_EQ(frame.payload, "abcd");
    EXPECT_EQ(frameReader.receive(frame), Status::closed);
    EXPECT_EQ(frameReader.receive(frame), Status::closed);
}

TEST_P(SocketSmcReaderTest, SilentPeerTimesOutAfterTheSocketsTimeout)
{
    timeval timeout{0, 3000};
    ASSERT_EQ(::setsockopt(fds[1].get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout), 0);
    SocketSmcReader frameReader = reader();
    write(frameBytes(Op::call, std::string(88, 'x')).substr(0, 30));
    SocketSmcProtocol::Frame frame;
    EXPECT_EQ(frameReader.receive(frame), Status::timedOut);
}

TEST_P(SocketSmcReaderTest, ResetDropsWhatTheOldSocketLeft)
{
    int other[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, other), 0);
    SocketSmcReader frameReader = reader();
    write(frameBytes(Op::open, "old1") + frameBytes(Op::open, "old2"));
    SocketSmcProtocol::Frame frame;
    ASSERT_EQ(frameReader.receive(frame), Status::ok);
    EXPECT_EQ(frame.payload, "old1"); // "old2" came with it and waits in the buffer

    const std::string fresh = frameBytes(Op::open, "new1");
    ASSERT_EQ(::write(other[0], fresh.data(), fresh.size()), ssize_t(fresh.size()));
    frameReader.reset(other[1]);
    ASSERT_EQ(frameReader.receive(frame), Status::ok);
    EXPECT_EQ(frame.payload, "new1");
    ::close(other[0]);
    ::close(other[1]);
}

TEST_P(SocketSmcReaderTest, SendDeliversLargeFramesThroughASmallSocketBuffer)
{
    int small = 4096;
    ASSERT_EQ(::setsockopt(fds[0].get(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    const std::string payload = [] {
        std::string bytes(300000, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 31 % 251);
        return bytes;
    }();
    bool sent = false;
    std::thread sender([&] {
        sent = SocketSmcProtocol::send(fds[0].get(), Op::control, payload) && SocketSmcProtocol::send(fds[0].get(), Op::close, "");
    });
    SocketSmcReader frameReader = reader();
    SocketSmcProtocol::Frame frame;
    ASSERT_EQ(frameReader.receive(frame), Status::ok);
    EXPECT_EQ(frame.op, Op::control);
    EXPECT_TRUE(frame.payload == payload);
    ASSERT_EQ(frameReader.receive(frame), Status::ok);
    EXPECT_EQ(frame.op, Op::close);
    EXPECT_TRUE(frame.payload.empty());
    sender.join();
    EXPECT_TRUE(sent);
    EXPECT_FALSE(SocketSmcProtocol::send(fds[0].get(), Op::control, std::string(SocketSmcProtocol::maxPayload + 1, 'x')));
}

TEST_P(SocketSmcReaderTest, PollsOnlyWhileThePeerAnswersWithinTheWait)
{
    timeval timeout{0, 20000};
    ASSERT_EQ(::setsockopt(fds[1].get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout), 0);
    SocketSmcReader frameReader = reader();
    if (!frameReader.polls())
        GTEST_SKIP() << "no active wait here";
    SocketSmcProtocol::Frame frame;
    // Nothing comes: the poll runs out, and the next read sleeps at once.
    EXPECT_EQ(frameReader.receive(frame), Status::timedOut);
    EXPECT_FALSE(frameReader.polls());
    EXPECT_EQ(frameReader.receive(frame), Status::timedOut);
    EXPECT_FALSE(frameReader.polls());
    // A frame that is there at once: the peer keeps up again. A read preempted past the wait counts as
    // slow, so a loaded machine gets a few tries.
    for (int attempt = 0; attempt < 20 && !frameReader.polls(); ++attempt) {
        write(frameBytes(Op::close, ""));
        ASSERT_EQ(frameReader.receive(frame), Status::ok);
        EXPECT_EQ(frame.op, Op::close);
    }
    EXPECT_TRUE(frameReader.polls());
}

INSTANTIATE_TEST_SUITE_P(Waits, SocketSmcReaderTest,
                         ::testing::Values(std::chrono::microseconds{0}, SocketSmcProtocol::activeWait),
                         [](const auto& info) { return info.param.count() ? "ActiveWait" : "Blocking"; });

} // namespace
