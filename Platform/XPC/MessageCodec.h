#pragma once

#include "Platform/XPC/XPCExport.h"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace XPC {

// A message on the wire: one JSON object, keys kept in the order they were written.
using Message = nlohmann::ordered_json;

// {"id":u64,"sel":"<selector>","args":[…]}
struct AERLO_XPC_EXPORT Request {
    std::uint64_t id = 0;
    std::string sel;
    Message args = Message::array();
};

// {"id":u64,"reply":text|null}
struct AERLO_XPC_EXPORT Reply {
    std::uint64_t id = 0;
    std::optional<std::string> reply;
};

// Why a byte stream stopped decoding.
enum class DecodeError {
    none,
    zeroLength, // a frame announced 0 bytes
    oversizeLength, // a frame announced more than maximumLength bytes
    invalidUTF8,
    notJSON,
    tooDeep, // nested deeper than maximumDepth
    notObject, // valid JSON, but not an object
    nulByte, // a NUL byte in the payload
    duplicateKey, // an object names one key twice
    trailingData, // bytes after the JSON value
};

// Frames: a u32 big-endian length L (1 ≤ L ≤ 65536), then L bytes of UTF-8 JSON holding one object.
// An instance is an incremental decoder for one byte stream; it never buffers more than one frame
// and never throws. After an error it stays failed. Payloads are strict: one JSON value and nothing
// after it, no NUL byte, no object naming a key twice.
class AERLO_XPC_EXPORT MessageCodec {
public:
    static constexpr std::size_t headerLength = 4;
    static constexpr std::size_t maximumLength = 65536;
    static constexpr std::size_t maximumDepth = 64;

    struct Result {
        std::vector<Message> messages; // complete messages, in stream order
        DecodeError error = DecodeError::none;
    };

    // Takes the next bytes of the stream. Messages completed before an error are still returned.
    Result feed(std::string_view bytes);
    Result feed(const void* data, std::size_t size);

    DecodeError error() const { return error_; }
    // Bytes of an incomplete frame held so far.
    std::size_t bufferedSize() const { return expected_ ? headerLength + payload_.size() : header_.size(); }

    // One frame for a JSON object; none when it is not an object, holds invalid UTF-8 or is too long.
    [[nodiscard]] static std::optional<std::string> encode(const Message& message);
    static std::string_view describe(DecodeError error);
    // The decoding of one payload (without its length), as the stream decoder does it.
    [[nodiscard]] static std::optional<Message> decodePayload(std::string_view payload, DecodeError* error = nullptr);

    // {"sel":…,"args":…}: a request before a transport gives it its id.
    static Message makeRequest(std::string_view sel, Message args = Message::array());
    static Message makeRequest(std::uint64_t id, std::string_view sel, Message args = Message::array());
    static Message makeReply(std::uint64_t id, const std::optional<std::string>& reply);
    // {"admitted":true}: the service's first frame on a connection it has admitted; a client writes
    // nothing before it.
    static const std::string& greetingFrame();
    static bool isGreeting(const Message& message);
    // Strict readers: exactly the keys above with exactly these types, or nothing.
    [[nodiscard]] static std::optional<Request> parseRequest(const Message& message);
    [[nodiscard]] static std::optional<Reply> parseReply(const Message& message);
    // A request without its id (as makeRequest(sel, args) builds it), or with one; other keys are refused.
    [[nodiscard]] static std::optional<Request> parseUnstampedRequest(const Message& message);

private:
    void fail(DecodeError error, Result& result);

    std::string header_;
    std::string payload_;
    std::size_t expected_ = 0; // payload length of the frame being read, 0 while reading a header
    DecodeError error_ = DecodeError::none;
};

} // namespace XPC
