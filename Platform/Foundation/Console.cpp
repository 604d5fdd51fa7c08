#include "Platform/Foundation/Console.h"

#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <mutex>
#include <unistd.h>

namespace Foundation {

namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

Console::Sink& currentSink()
{
    static Console::Sink sink;
    return sink;
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
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(stream, text);
        return;
    }
    // Unbuffered write(2): the line is out before the call returns, even if the process dies next.
    // A closed stream drops the text.
    (void)writeAll(stream == Stream::standardOutput ? STDOUT_FILENO : STDERR_FILENO, text);
}

Console::Sink Console::setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace Foundation
