#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <functional>
#include <string_view>

namespace Foundation {

// The printed-line sink: every line the system prints goes through here, so that
// tests can capture it. Each call is written and flushed as one piece.
class AERLO_FOUNDATION_EXPORT Console {
public:
    enum class Stream { standardOutput, standardError };
    using Sink = std::function<void(Stream, std::string_view)>;

    // The line followed by a line feed, on standard output (what print() does).
    static void print(std::string_view line);
    // The line followed by a line feed, on standard error.
    static void printError(std::string_view line);
    // The text exactly as given.
    static void write(Stream stream, std::string_view text);

    // Replaces the sink and returns the previous one; an empty sink means the process's own streams.
    static Sink setSink(Sink sink);
};

} // namespace Foundation
