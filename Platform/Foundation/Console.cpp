#include "Platform/Foundation/Console.h"

#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/SharedInstance.h"

#include <cerrno>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace Foundation {

namespace {

struct SinkSlot {
    std::mutex mutex;
    Console::Sink sink;
};

// Never destroyed: lines printed at exit and by detached threads still find it.
SinkSlot& sinkSlot()
{
    static SharedInstance<SinkSlot> slot;
    return slot.get();
}

} // namespace

void Console::print(std::string_view line)
{
    std::string text(line);
    text.push_back('\n');
    write(Stream::standardOutput, text);
}

void Console::printError(std::string_view line)
{
    std::string text(line);
    text.push_back('\n');
    write(Stream::standardError, text);
}

void Console::write(Stream stream, std::string_view text)
{
    SinkSlot& slot = sinkSlot();
    std::lock_guard lock(slot.mutex);
    if (slot.sink) {
        slot.sink(stream, text);
        return;
    }
    // Unbuffered write(2): the line is out before the call returns, even if the process dies next.
    // A closed stream drops the text.
    (void)writeAll(stream == Stream::standardOutput ? STDOUT_FILENO : STDERR_FILENO, text);
}

Console::Sink Console::setSink(Sink sink)
{
    SinkSlot& slot = sinkSlot();
    std::lock_guard lock(slot.mutex);
    return std::exchange(slot.sink, std::move(sink));
}

} // namespace Foundation
