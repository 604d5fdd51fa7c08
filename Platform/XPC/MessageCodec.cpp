#include "Platform/XPC/MessageCodec.h"

#include "Platform/Foundation/StrictJson.h"
#include "Platform/Foundation/UTF8.h"

#include <algorithm>

namespace XPC {

namespace {

std::size_t readLength(std::string_view header)
{
    std::size_t length = 0;
    for (unsigned char byte : header)
        length = (length << 8) | byte;
    return length;
}

// Deepest nesting of arrays and objects, counted outside strings; stops counting past `limit`.
std::size_t nestingDepth(std::string_view text, std::size_t limit)
{
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit)
                return deepest;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

// Accepts any JSON value, for telling trailing bytes from a text that is not JSON at all.
struct AcceptingSax {
    using number_integer_t = Message::number_integer_t;
    using number_unsigned_t = Message::number_unsigned_t;
    using number_float_t = Message::number_float_t;
    using string_t = Message::string_t;
    using binary_t = Message::binary_t;
    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(number_integer_t) { return true; }
    bool number_unsigned(number_unsigned_t) { return true; }
    bool number_float(number_float_t, const string_t&) { return true; }
    bool string(string_t&) { return true; }
    bool binary(binary_t&) { return true; }
    bool start_object(std::size_t) { return true; }
    bool key(string_t&) { return true; }
    bool end_object() { return true; }
    bool start_array(std::size_t) { return true; }
    bool end_array() { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }
};

// A JSON value that is followed by more bytes.
bool hasTrailingData(std::string_view payload)
{
    AcceptingSax sax;
    return Message::sax_parse(payload, &sax, nlohmann::detail::input_format_t::json, false);
}

std::optional<std::uint64_t> readId(const Message& value)
{
    if (value.is_number_unsigned())
        return value.get<std::uint64_t>();
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0)
        return static_cast<std::uint64_t>(value.get<std::int64_t>());
    return std::nullopt;
}

} // namespace

MessageCodec::Result MessageCodec::feed(const void* data, std::size_t size)
{
    return feed(std::string_view(static_cast<const char*>(data), size));
}

MessageCodec::Result MessageCodec::feed(std::string_view bytes)
{
    Result result;
    if (error_ != DecodeError::none) {
        result.error = error_;
        return result;
    }
    while (!bytes.empty()) {
        if (expected_ == 0) {
            const std::size_t take = std::min(headerLength - header_.size(), bytes.size());
            header_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (header_.size() < headerLength)
                break;
            const std::size_t length = readLength(header_);
            header_.clear();
            if (length == 0) {
                fail(DecodeError::zeroLength, result);
                return result;
            }
            if (length > maximumLength) {
                fail(DecodeError::oversizeLength, result);
                return result;
            }
            expected_ = length;
        }
        std::string_view payload;
        if (payload_.empty() && bytes.size() >= expected_) {
            // The whole payload is in this piece: decode it in place.
            payload = bytes.substr(0, expected_);
            bytes.remove_prefix(expected_);
        } else {
            if (payload_.capacity() < expected_)
                payload_.reserve(expected_);
            const std::size_t take = std::min(expected_ - payload_.size(), bytes.size());
            payload_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (payload_.size() < expected_)
                break;
            payload = payload_;
        }
        DecodeError error = DecodeError::none;
        auto message = decodePayload(payload, &error);
        expected_ = 0;
        payload_.clear();
        if (!message) {
            fail(error, result);
            return result;
        }
        result.messages.push_back(std::move(*message));
    }
    return result;
}

void MessageCodec::fail(DecodeError error, Result& result)
{
    error_ = error;
    result.error = error;
    header_.clear();
    std::string().swap(payload_);
    expected_ = 0;
}

std::optional<Message> MessageCodec::decodePayload(std::string_view payload, DecodeError* error)
{
    auto failWith = [error](DecodeError e) -> std::optional<Message> {
        if (error)
            *error = e;
        return std::nullopt;
    };
    if (payload.empty())
        return failWith(DecodeError::zeroLength);
    if (payload.size() > maximumLength)
        return failWith(DecodeError::oversizeLength);
    if (!Foundation::UTF8::isValid(payload))
        return failWith(DecodeError::invalidUTF8);
    if (nestingDepth(payload, maximumDepth) > maximumDepth)
        return failWith(DecodeError::tooDeep);
    if (payload.find('\0') != std::string_view::npos)
        return failWith(DecodeError::nulByte);
    bool duplicate = false;
    Message message = Foundation::parseRefusingDuplicateKeys<Message>(payload, duplicate);
    if (duplicate)
        return failWith(DecodeError::duplicateKey);
    if (message.is_discarded())
        return failWith(hasTrailingData(payload) ? DecodeError::trailingData : DecodeError::notJSON);
    if (!message.is_object())
        return failWith(DecodeError::notObject);
    if (error)
        *error = DecodeError::none;
    return message;
}

std::optional<std::string> MessageCodec::encode(const Message& message)
{
    if (!message.is_object())
        return std::nullopt;
    std::string payload;
    try {
        payload = message.dump();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a string that is not UTF-8
    }
    if (payload.size() > maximumLength)
        return std::nullopt;
    std::string frame;
    frame.reserve(headerLength + payload.size());
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((length >> shift) & 0xFF));
    frame += payload;
    return frame;
}

std::string_view MessageCodec::describe(DecodeError error)
{
    switch (error) {
    case DecodeError::none:
        return "no error";
    case DecodeError::zeroLength:
        return "empty frame";
    case DecodeError::oversizeLength:
        return "frame longer than 65536 bytes";
    case DecodeError::invalidUTF8:
        return "frame is not UTF-8";
    case DecodeError::notJSON:
        return "frame is not JSON";
    case DecodeError::tooDeep:
        return "frame is nested too deeply";
    case DecodeError::notObject:
        return "frame is not a JSON object";
    case DecodeError::nulByte:
        return "frame holds a NUL byte";
    case DecodeError::duplicateKey:
        return "frame names a key twice";
    case DecodeError::trailingData:
        return "frame has data after its JSON value";
    }
    return "unknown error";
}

Message MessageCodec::makeRequest(std::string_view sel, Message args)
{
    Message message = Message::object();
    message["sel"] = std::string(sel);
    message["args"] = std::move(args);
    return message;
}

Message MessageCodec::makeRequest(std::uint64_t id, std::string_view sel, Message args)
{
    Message message = Message::object();
    message["id"] = id;
    message["sel"] = std::string(sel);
    message["args"] = std::move(args);
    return message;
}

Message MessageCodec::makeReply(std::uint64_t id, const std::optional<std::string>& reply)
{
    Message message = Message::object();
    message["id"] = id;
    message["reply"] = reply ? Message(*reply) : Message(nullptr);
    return message;
}

std::optional<Request> MessageCodec::parseUnstampedRequest(const Message& message)
{
    if (!message.is_object())
        return std::nullopt;
    Request request;
    std::size_t known = 0;
    if (auto it = message.find("id"); it != message.end()) {
        auto id = readId(*it);
        if (!id)
            return std::nullopt;
        request.id = *id;
        ++known;
    }
    auto sel = message.find("sel");
    auto args = message.find("args");
    if (sel == message.end() || !sel->is_string() || args == message.end() || !args->is_array())
        return std::nullopt;
    known += 2;
    if (message.size() != known)
        return std::nullopt;
    request.sel = sel->get<std::string>();
    if (request.sel.empty())
        return std::nullopt;
    request.args = *args;
    return request;
}

std::optional<Request> MessageCodec::parseRequest(const Message& message)
{
    if (!message.is_object() || !message.contains("id"))
        return std::nullopt;
    return parseUnstampedRequest(message);
}

std::optional<Reply> MessageCodec::parseReply(const Message& message)
{
    if (!message.is_object() || message.size() != 2)
        return std::nullopt;
    auto id = message.find("id");
    auto reply = message.find("reply");
    if (id == message.end() || reply == message.end())
        return std::nullopt;
    auto value = readId(*id);
    if (!value || !(reply->is_string() || reply->is_null()))
        return std::nullopt;
    Reply result;
    result.id = *value;
    if (reply->is_string())
        result.reply = reply->get<std::string>();
    return result;
}

} // namespace XPC
