#include "Platform/XPC/MessageCodec.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

using XPC::DecodeError;
using XPC::Message;
using XPC::MessageCodec;

// The largest single allocation made while tracking is on (for the "never buffers an oversize frame" check).
namespace {
std::atomic<bool> trackAllocations {false};
std::atomic<std::size_t> largestAllocation {0};
} // namespace

// GCC 12 takes the malloc/free pair below for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (trackAllocations) {
        std::size_t seen = largestAllocation;
        while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {}
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::string frame(std::string_view payload)
{
    std::string bytes;
    const auto n = static_cast<std::uint32_t>(payload.size());
    bytes += static_cast<char>(n >> 24);
    bytes += static_cast<char>((n >> 16) & 0xFF);
    bytes += static_cast<char>((n >> 8) & 0xFF);
    bytes += static_cast<char>(n & 0xFF);
    bytes += payload;
    return bytes;
}

const std::string modeRequest =
    std::string("\x00\x00\x00\x3f", 4) + R"({"id":7,"sel":"setFanModeWithId:mode:completion:","args":[1,0]})";

} // namespace

TEST(MessageCodec, EncodesRequestsAndRepliesAsGoldenBytes)
{
    const auto request =
        MessageCodec::encode(MessageCodec::makeRequest(7, "setFanModeWithId:mode:completion:", {1, 0}));
    ASSERT_TRUE(request);
    EXPECT_EQ(*request, modeRequest);

    EXPECT_EQ(MessageCodec::encode(MessageCodec::makeReply(7, std::nullopt)),
              std::string("\x00\x00\x00\x15", 4) + R"({"id":7,"reply":null})");
    EXPECT_EQ(MessageCodec::encode(MessageCodec::makeReply(18446744073709551615ull, "clamped to 1200")),
              frame(R"({"id":18446744073709551615,"reply":"clamped to 1200"})"));
    // Text is written as UTF-8, not escaped.
    EXPECT_EQ(MessageCodec::encode(MessageCodec::makeReply(1, "风扇")), frame("{\"id\":1,\"reply\":\"风扇\"}"));
}

TEST(MessageCodec, DecodesAFrameFedByteByByte)
{
    MessageCodec codec;
    const std::string twice = modeRequest + modeRequest;
    std::vector<Message> messages;
    for (std::size_t i = 0; i < twice.size(); ++i) {
        auto result = codec.feed(twice.substr(i, 1));
        ASSERT_EQ(result.error, DecodeError::none) << "at byte " << i;
        // A message completes exactly at its last byte.
        const bool completes = i + 1 == modeRequest.size() || i + 1 == twice.size();
        EXPECT_EQ(result.messages.size(), completes ? 1u : 0u) << "at byte " << i;
        for (auto& m : result.messages)
            messages.push_back(m);
    }
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].dump(), R"({"id":7,"sel":"setFanModeWithId:mode:completion:","args":[1,0]})");
    EXPECT_EQ(messages[0], messages[1]);
    EXPECT_EQ(codec.bufferedSize(), 0u);
}

TEST(MessageCodec, DecodesSeveralFramesAndAPartialOneFromOnePiece)
{
    MessageCodec codec;
    const std::string third = frame(R"({"id":3,"reply":"x"})");
    auto result = codec.feed(frame(R"({"id":1,"reply":null})") + frame(R"({"id":2,"reply":""})") + third.substr(0, 6));
    ASSERT_EQ(result.error, DecodeError::none);
    ASSERT_EQ(result.messages.size(), 2u);
    EXPECT_EQ(result.messages[0]["id"], 1);
    EXPECT_EQ(result.messages[1]["reply"], "");
    EXPECT_EQ(codec.bufferedSize(), 6u);
    result = codec.feed(third.substr(6));
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0]["reply"], "x");
}

TEST(MessageCodec, RefusesBadFramesAndStaysFailed)
{
    struct Case {
        const char* name;
        std::string bytes;
        DecodeError error;
    };
    const std::string deep = std::string(65, '[') + std::string(65, ']');
    const std::vector<Case> cases = {
        {"zero length", std::string("\0\0\0\0", 4), DecodeError::zeroLength},
        {"65537 bytes", std::string("\x00\x01\x00\x01", 4), DecodeError::oversizeLength},
        {"4 GiB", std::string("\xff\xff\xff\xff", 4), DecodeError::oversizeLength},
        {"bad continuation", frame("{\"a\":\"\xc3\x28\"}"), DecodeError::invalidUTF8},
        {"overlong slash", frame("{\"a\":\"\xc0\xaf\"}"), DecodeError::invalidUTF8},
        {"surrogate", frame("{\"a\":\"\xed\xa0\x80\"}"), DecodeError::invalidUTF8},
        {"above U+10FFFF", frame("{\"a\":\"\xf4\x90\x80\x80\"}"), DecodeError::invalidUTF8},
        {"truncated sequence", frame("{\"a\":\"\xe2\x82\"}"), DecodeError::invalidUTF8},
        {"Latin-1 outside a string", frame("{\xe9}"), DecodeError::invalidUTF8},
        {"not JSON", frame("hello"), DecodeError::notJSON},
        {"trailing garbage", frame("{} x"), DecodeError::trailingData},
        {"two objects", frame("{}{}"), DecodeError::trailingData},
        {"trailing bracket", frame(R"({"id":1,"sel":"update","args":[]}])"), DecodeError::trailingData},
        {"NUL after the object", frame(std::string("{}\0{\"sel\":\"uninstall\"}", 19)), DecodeError::nulByte},
        {"NUL inside a string", frame(std::string("{\"a\":\"x\0y\"}", 11)), DecodeError::nulByte},
        {"selector given twice", frame(R"({"id":1,"sel":"versionWithCompletion:","args":[],"sel":"uninstall"})"),
         DecodeError::duplicateKey},
        {"nested key given twice", frame(R"({"id":1,"sel":"x","args":[{"a":1,"b":{"c":1,"c":2}}]})"),
         DecodeError::duplicateKey},
        {"lone escaped surrogate", frame(R"({"a":"\ud800"})"), DecodeError::notJSON},
        {"too deep", frame("{\"a\":" + deep + "}"), DecodeError::tooDeep},
        {"array", frame("[1,2]"), DecodeError::notObject},
        {"string", frame("\"text\""), DecodeError::notObject},
        {"number", frame("42"), DecodeError::notObject},
        {"null", frame("null"), DecodeError::notObject},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageCodec codec;
        // A good frame first: it is still returned, then the stream fails.
        auto result = codec.feed(modeRequest + c.bytes + modeRequest);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(codec.error(), c.error);
        EXPECT_EQ(codec.bufferedSize(), 0u);
        result = codec.feed(modeRequest);
        EXPECT_EQ(result.error, c.error);
        EXPECT_TRUE(result.messages.empty());
    }
    // Nesting up to the limit is fine, and so is one key in sibling objects.
    MessageCodec codec;
    EXPECT_EQ(codec.feed(frame(R"({"a":{"k":1},"b":[{"k":2},{"k":3}],"k":4})")).messages.size(), 1u);
    const std::string allowed = std::string(63, '[') + std::string(63, ']');
    EXPECT_EQ(codec.feed(frame("{\"a\":" + allowed + "}")).messages.size(), 1u);
    // Brackets inside strings do not count.
    EXPECT_EQ(codec.feed(frame("{\"a\":\"" + std::string(100, '[') + "\"}")).messages.size(), 1u);
}

TEST(MessageCodec, AcceptsTheLongestFrameAndRefusesOneByteMore)
{
    std::string longest = "{\"a\":\"" + std::string(65536 - 8, 'x') + "\"}";
    ASSERT_EQ(longest.size(), 65536u);
    MessageCodec codec;
    auto result = codec.feed(frame(longest));
    EXPECT_EQ(result.error, DecodeError::none);
    EXPECT_EQ(result.messages.size(), 1u);

    Message tooLong = {{"a", std::string(65536 - 7, 'x')}};
    EXPECT_FALSE(MessageCodec::encode(tooLong));
    Message fits = {{"a", std::string(65536 - 8, 'x')}};
    EXPECT_TRUE(MessageCodec::encode(fits));
}

TEST(MessageCodec, RefusesAOneMebibyteFrameWithoutBufferingIt)
{
    const std::size_t mebibyte = 1 << 20;
    std::string bytes = std::string("\x00\x10\x00\x00", 4) + "{\"a\":\"" + std::string(mebibyte - 8, 'x') + "\"}";
    MessageCodec codec;
    largestAllocation = 0;
    trackAllocations = true;
    auto whole = codec.feed(bytes);
    MessageCodec pieces;
    MessageCodec::Result last;
    for (std::size_t at = 0; at < bytes.size(); at += 4096)
        last = pieces.feed(std::string_view(bytes).substr(at, 4096));
    trackAllocations = false;

    EXPECT_EQ(whole.error, DecodeError::oversizeLength);
    EXPECT_EQ(last.error, DecodeError::oversizeLength);
    EXPECT_TRUE(whole.messages.empty());
    EXPECT_LT(largestAllocation.load(), 4096u);
    EXPECT_EQ(pieces.bufferedSize(), 0u);
}

TEST(MessageCodec, EncoderRefusesWhatCannotBeAFrame)
{
    EXPECT_FALSE(MessageCodec::encode(Message::array({1, 2})));
    EXPECT_FALSE(MessageCodec::encode(Message("text")));
    EXPECT_FALSE(MessageCodec::encode(Message {{"a", std::string("\xff\xfe")}}));
    EXPECT_TRUE(MessageCodec::encode(Message::object()));
}

TEST(MessageCodec, ReadsRequestsStrictly)
{
    auto parse = [](const char* text) { return MessageCodec::parseRequest(Message::parse(text)); };
    const auto good = parse(R"({"id":3,"sel":"setFanSpeedWithId:value:completion:","args":[0,2400]})");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->id, 3u);
    EXPECT_EQ(good->sel, "setFanSpeedWithId:value:completion:");
    EXPECT_EQ(good->args, Message::array({0, 2400}));
    EXPECT_TRUE(parse(R"({"args":[],"sel":"update","id":18446744073709551615})"));

    for (const char* bad : {
             R"({"sel":"update","args":[]})", // no id
             R"({"id":-1,"sel":"update","args":[]})", // negative id
             R"({"id":1.0,"sel":"update","args":[]})", // not an integer
             R"({"id":"1","sel":"update","args":[]})",
             R"({"id":true,"sel":"update","args":[]})",
             R"({"id":1,"sel":"","args":[]})", // empty selector
             R"({"id":1,"sel":5,"args":[]})",
             R"({"id":1,"sel":"update"})", // no args
             R"({"id":1,"sel":"update","args":{}})",
             R"({"id":1,"sel":"update","args":null})",
             R"({"id":1,"sel":"update","args":[],"extra":0})",
         }) {
        EXPECT_FALSE(parse(bad)) << bad;
    }
    // Before a transport stamps it, the id may be missing.
    EXPECT_TRUE(MessageCodec::parseUnstampedRequest(MessageCodec::makeRequest("update")));
    EXPECT_FALSE(MessageCodec::parseUnstampedRequest(Message {{"sel", "update"}, {"args", 1}}));
}

TEST(MessageCodec, ReadsRepliesStrictly)
{
    auto parse = [](const char* text) { return MessageCodec::parseReply(Message::parse(text)); };
    auto text = parse(R"({"id":9,"reply":"1.0.0"})");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->id, 9u);
    EXPECT_EQ(text->reply, "1.0.0");
    auto absent = parse(R"({"id":9,"reply":null})");
    ASSERT_TRUE(absent);
    EXPECT_FALSE(absent->reply);

    for (const char* bad : {
             R"({"id":9})",
             R"({"reply":"x"})",
             R"({"id":9,"reply":1})",
             R"({"id":9,"reply":false})",
             R"({"id":9,"reply":["x"]})",
             R"({"id":-9,"reply":"x"})",
             R"({"id":9,"reply":"x","more":1})",
         }) {
        EXPECT_FALSE(parse(bad)) << bad;
    }
}
