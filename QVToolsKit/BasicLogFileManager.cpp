#include "QVToolsKit/BasicLogFileManager.h"

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace QVToolsKit {

namespace {

using Foundation::Console;

constexpr std::string_view separator = "----------------\n";

std::atomic<const Foundation::Clock*> clockOverride{nullptr};

const Foundation::Clock& clock()
{
    const Foundation::Clock* clock = clockOverride.load();
    return clock ? *clock : Foundation::Clock::system();
}

using Foundation::errnoText;


std::string_view untilNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// "yyyy-MM-dd HH:mm:ss" in the current time zone.
std::string timestamp()
{
    const auto seconds = static_cast<std::time_t>(std::floor(clock().wallTime()));
    std::tm local{};
    tzset(); // follow a change of the system's zone, as localtime() would
    localtime_r(&seconds, &local);
    char text[64];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

// The last non-empty component of a "/"-separated path, or nothing.
std::optional<std::string_view> lastComponent(std::string_view path)
{
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    if (path.empty())
        return std::nullopt;
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string_view rawValue(LogLevel level)
{
    switch (level) {
    case LogLevel::debug:
        return "DBG";
    case LogLevel::info:
        return "INF";
    case LogLevel::error:
        return "ERR";
    }
    return {};
}

std::optional<LogLevel> logLevelFromRawValue(std::string_view rawValue)
{
    for (LogLevel level : {LogLevel::debug, LogLevel::info, LogLevel::error})
        if (QVToolsKit::rawValue(level) == rawValue)
            return level;
    return std::nullopt;
}

std::vector<LogOption> LogOption::new_() { return {timestamp, file, line, level}; }

bool BasicLogFileManager::FileHandle::write(std::string_view bytes) const
{
    return Foundation::writeAll(fd_.get(), bytes).ok();
}

void BasicLogFileManager::StdoutOutputStream::write(std::string_view text) const
{
    Console::write(Console::Stream::standardOutput, untilNul(text));
}

void BasicLogFileManager::StderrOutputStream::write(std::string_view text) const
{
    Console::write(Console::Stream::standardError, untilNul(text));
}

void BasicLogFileManager::FileHandlerOutputStream::write(std::string_view text) const
{
    if (text.empty() || !fileHandle || !Foundation::UTF8::isValid(text))
        return;
    fileHandle->write(text); // a line the file cannot take is dropped
}

BasicLogFileManager::BasicLogFileManager(LogWriter writer)
    : writer_(std::make_shared<StderrOutputStream>())
{
    setWriter(writer);
}

BasicLogFileManager::BasicLogFileManager(std::shared_ptr<const Writer> writer, std::optional<std::string> category)
    : writer_(std::move(writer))
    , category_(std::move(category))
{
}

std::shared_ptr<const Writer> BasicLogFileManager::writer() const
{
    std::lock_guard lock(mutex_);
    return writer_;
}

void BasicLogFileManager::log(LogLevel level, const std::vector<LogOption>& options, std::string_view message,
                              std::string_view file, std::uint64_t line) const
{
    std::string text = prefix(level, options, file, line);
    text.reserve(text.size() + message.size() + 2);
    text += ' ';
    text += message;
    text += '\n';
    writer()->write(text);
}

void BasicLogFileManager::setWriter(LogWriter writer)
{
    std::shared_ptr<const Writer> stream;
    switch (writer) {
    case LogWriter::standardOutput:
        stream = std::make_shared<StdoutOutputStream>();
        break;
    case LogWriter::standardError:
        stream = std::make_shared<StderrOutputStream>();
        break;
    case LogWriter::file: {
        const std::string path = logFilePath().string();
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            // Made empty when missing; if that fails, opening below reports it.
            const Foundation::FileDescriptor created(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        }
        // O_APPEND: two handles on the file (a copied logger, another process) never overwrite each other.
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) {
            Console::print("error to init file handler: " + errnoText(errno));
            stream = std::make_shared<StdoutOutputStream>();
            break;
        }
        ::lseek(fd, 0, SEEK_END);
        auto handle = std::make_shared<const FileHandle>(fd);
        handle->write(separator);
        stream = std::make_shared<FileHandlerOutputStream>(std::move(handle));
        break;
    }
    }
    std::shared_ptr<const Writer> previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(writer_, std::move(stream));
    }
    // `previous` (and a file handle only it held) is released outside the lock.
}

std::filesystem::path BasicLogFileManager::logFilePath() { return Foundation::Paths::documents() / "log.txt"; }

void BasicLogFileManager::setClock(const Foundation::Clock* clock) { clockOverride.store(clock); }

void BasicLogFileManager::deleteLogFile(std::int64_t afterSeconds)
{
    const std::string path = logFilePath().string();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        Console::print("日志文件不存在");
        return;
    }
    struct statx attributes {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &attributes) != 0) {
        Console::print("删除日志文件时出错: " + errnoText(errno));
        return;
    }
    if (!(attributes.stx_mask & STATX_BTIME))
        return; // the file system keeps no creation date
    const double created =
        static_cast<double>(attributes.stx_btime.tv_sec) + static_cast<double>(attributes.stx_btime.tv_nsec) / 1e9;
    const double age = clock().wallTime() - created;
    const std::string seconds = std::to_string(afterSeconds);
    if (age >= static_cast<double>(afterSeconds)) {
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error)
            Console::print("删除日志文件时出错: " + error.message());
        else
            Console::print("日志文件已删除，超过 " + seconds + " 秒的保留期限");
        return;
    }
    Console::print("日志文件未达到 " + seconds + " 秒的保留期限");
}

std::string BasicLogFileManager::prefix(LogLevel level, const std::vector<LogOption>& options,
                                        std::string_view file, std::uint64_t line) const
{
    const auto has = [&options](LogOption option) {
        return std::find(options.begin(), options.end(), option) != options.end();
    };
    std::string text;
    if (has(LogOption::timestamp))
        space(text, timestamp());
    if (has(LogOption::file)) {
        if (const auto name = lastComponent(file))
            space(text, *name);
        if (has(LogOption::line))
            text += ":" + std::to_string(line);
    } else if (has(LogOption::line)) {
        space(text, std::to_string(line));
    }
    if (has(LogOption::level))
        space(text, rawValue(level));
    if (category_)
        space(text, "[" + *category_ + "]");
    return text;
}

void BasicLogFileManager::space(std::string& text, std::string_view piece)
{
    if (!text.empty() && text.back() != ' ')
        text += ' ';
    text += piece;
}

} // namespace QVToolsKit
