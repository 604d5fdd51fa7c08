#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/Result.h"

#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <sys/un.h>

// The few POSIX calls every layer wraps the same way. On a failure errno still holds the cause, so a
// caller may word the error itself.
namespace Foundation {

// The system's text for an errno value ("No such file or directory").
AERLO_FOUNDATION_EXPORT std::string errnoText(int error);

// Writes all of `bytes`, retrying interrupted and partial writes.
AERLO_FOUNDATION_EXPORT Result<void> writeAll(int fd, std::string_view bytes);

// Reads until the end of the file, retrying interrupted reads. Stops once more than `limit` bytes are
// read, so a caller can tell "too large" by the size.
AERLO_FOUNDATION_EXPORT Result<std::string> readAll(int fd,
                                                    std::size_t limit = std::numeric_limits<std::size_t>::max());

// The address of the Unix socket at `path`; fails when the path is empty or too long for one.
AERLO_FOUNDATION_EXPORT Result<sockaddr_un> unixAddress(const std::filesystem::path& path);

// Creates `folder` and its missing parents with `mode` (an existing folder is left as it is); the
// error names the folder that could not be made.
AERLO_FOUNDATION_EXPORT Result<void> makeDirectories(const std::filesystem::path& folder, unsigned mode = 0755);

// Closes `fd` if it is open and marks it closed (-1).
AERLO_FOUNDATION_EXPORT void closeAndReset(int& fd);

} // namespace Foundation
