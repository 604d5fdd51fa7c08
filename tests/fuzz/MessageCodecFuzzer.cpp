// libFuzzer entry for the frame decoder: any byte stream, whole or in pieces, decodes the same
// way without crashing, buffering no more than one frame, and what it yields encodes back.
#include "Platform/XPC/MessageCodec.h"

#include <cstdint>
#include <cstdlib>

using XPC::DecodeError;
using XPC::Message;
using XPC::MessageCodec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MessageCodec whole;
    const auto all = whole.feed(bytes);

    MessageCodec pieces;
    std::vector<Message> messages;
    DecodeError error = DecodeError::none;
    const std::size_t step = size ? data[0] % 13 + 1 : 1;
    for (std::size_t at = 0; at < size && error == DecodeError::none; at += step) {
        auto result = pieces.feed(bytes.substr(at, step));
        for (auto& message : result.messages)
            messages.push_back(std::move(message));
        error = result.error;
        if (pieces.bufferedSize() > MessageCodec::headerLength + MessageCodec::maximumLength)
            std::abort();
    }
    if (error != all.error || messages != all.messages)
        std::abort();

    for (const Message& message : all.messages) {
        if (!message.is_object())
            std::abort();
        (void)MessageCodec::parseRequest(message);
        (void)MessageCodec::parseReply(message);
        if (auto frame = MessageCodec::encode(message)) {
            MessageCodec again;
            const auto decoded = again.feed(*frame);
            if (decoded.error != DecodeError::none || decoded.messages.size() != 1
                || decoded.messages.front().dump() != message.dump())
                std::abort();
        }
    }
    return 0;
}
