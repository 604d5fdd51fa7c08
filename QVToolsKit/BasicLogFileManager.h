#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include "Platform/Foundation/FileDescriptor.h"

#include "QVToolsKit/Writer.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {
class Clock;
}

namespace QVToolsKit {

enum class LogLevel { debug, info, error };

// "DBG", "INF", "ERR".
QVTOOLSKIT_EXPORT std::string_view rawValue(LogLevel level);
// Exact, case-sensitive match of a code; anything else gives no level.
QVTOOLSKIT_EXPORT std::optional<LogLevel> logLevelFromRawValue(std::string_view rawValue);

// A piece of the line prefix.
class QVTOOLSKIT_EXPORT LogOption {
public:
    enum Value : int { timestamp = 0, level = 1, file = 2, line = 3 };

    constexpr LogOption(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }
    constexpr int rawValue() const { return value_; }

    static constexpr std::optional<LogOption> fromRawValue(int rawValue)
    {
        if (rawValue < timestamp || rawValue > line)
            return std::nullopt;
        return LogOption(static_cast<Value>(rawValue));
    }

    // timestamp, file, line, level: what the static shorthands use.
    static std::vector<LogOption> new_();

private:
    Value value_;
};

// The logger itself, shared by the framework's QVLogFileManager and the application's NextLog
// (see LogFileManager). Lines go to standard output, standard error or "log.txt" in Documents.
class QVTOOLSKIT_EXPORT BasicLogFileManager {
public:
    // An open file descriptor, closed when the last stream holding it goes.
    class FileHandle {
    public:
        explicit FileHandle(int fd) : fd_(fd) {}
        FileHandle(const FileHandle&) = delete;
        FileHandle& operator=(const FileHandle&) = delete;

        // Writes at the current position; a failed write (device full, I/O error) drops the rest.
        bool write(std::string_view bytes) const;

    private:
        Foundation::FileDescriptor fd_;
    };

    // fputs semantics: the text is cut at its first NUL.
    class StdoutOutputStream final : public Writer {
    public:
        void write(std::string_view text) const override;
        LogWriter type() const override { return LogWriter::standardOutput; }
    };

    class StderrOutputStream final : public Writer {
    public:
        void write(std::string_view text) const override;
        LogWriter type() const override { return LogWriter::standardError; }
    };

    // UTF-8 text, written whole (NULs included); text that is not valid UTF-8 is dropped.
    class FileHandlerOutputStream final : public Writer {
    public:
        explicit FileHandlerOutputStream(std::shared_ptr<const FileHandle> fileHandle)
            : fileHandle(std::move(fileHandle))
        {
        }
        void write(std::string_view text) const override;
        LogWriter type() const override { return LogWriter::file; }

        std::shared_ptr<const FileHandle> fileHandle;
    };

    BasicLogFileManager(const BasicLogFileManager&) = delete;
    BasicLogFileManager& operator=(const BasicLogFileManager&) = delete;

    // Prefix, one space, the message and a line feed, handed to the writer in one call.
    void log(LogLevel level, const std::vector<LogOption>& options, std::string_view message,
             std::string_view file, std::uint64_t line) const;

    // Replaces the stream. `file` opens the log file (made when missing), moves to its end and
    // appends the separator; when it cannot be opened the logger prints why and writes to
    // standard output instead.
    void setWriter(LogWriter writer);

    // "log.txt" in the user's Documents.
    static std::filesystem::path logFilePath();

    // The time source of the time stamps and of the log file's age (tests); null means the system clock.
    static void setClock(const Foundation::Clock* clock);

protected:
    explicit BasicLogFileManager(LogWriter writer);
    BasicLogFileManager(std::shared_ptr<const Writer> writer, std::optional<std::string> category);
    ~BasicLogFileManager() = default;

    std::shared_ptr<const Writer> writer() const;

    static void deleteLogFile(std::int64_t afterSeconds);

private:
    std::string prefix(LogLevel level, const std::vector<LogOption>& options, std::string_view file,
                       std::uint64_t line) const;
    static void space(std::string& text, std::string_view piece);

    mutable std::mutex mutex_; // guards writer_
    std::shared_ptr<const Writer> writer_;
    const std::optional<std::string> category_;
};

} // namespace QVToolsKit

template <>
struct std::hash<QVToolsKit::LogOption> {
    std::size_t operator()(QVToolsKit::LogOption option) const noexcept
    {
        return std::hash<int>()(option.rawValue());
    }
};
