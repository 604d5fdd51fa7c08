#include "Tools/SMCHelper/HelperLog.h"

#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Aerlo {

namespace {

// `value` in decimal, zero-padded to `width` digits.
void appendPadded(std::string& text, long long value, int width)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto length = end - digits; length < width; ++length)
        text.push_back('0');
    text.append(digits, end);
}

} // namespace

HelperLog::HelperLog(const Foundation::Clock& clock, std::uintmax_t maximumBytes)
    : clock_(clock), maximumBytes_(maximumBytes)
{
}

HelperLog::~HelperLog() { close(); }

Foundation::Result<void> HelperLog::open(const std::filesystem::path& path)
{
    std::lock_guard lock(mutex_);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    fd_.reset();
    path_ = path;
    const auto opened = openFile();
    if (!opened)
        return Foundation::Error(opened.error());
    fd_.reset(*opened);
    return {};
}

Foundation::Result<int> HelperLog::openFile()
{
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return Foundation::Error("Cannot open the log " + path_.string() + ": " + Foundation::errnoText(errno));
    struct stat info {};
    size_ = ::fstat(fd, &info) == 0 ? static_cast<std::uintmax_t>(info.st_size) : 0;
    return fd;
}

void HelperLog::rotate()
{
    fd_.reset();
    ::rename(path_.c_str(), rotatedPath(path_).c_str());
    // A log that cannot be opened again stays closed: nothing more is written.
    fd_.reset(openFile().valueOr(-1));
}

std::filesystem::path HelperLog::rotatedPath(const std::filesystem::path& path)
{
    return path.string() + ".1";
}

void HelperLog::close()
{
    std::lock_guard lock(mutex_);
    if (fd_)
        ::fsync(fd_.get());
    fd_.reset();
}

bool HelperLog::isOpen() const
{
    std::lock_guard lock(mutex_);
    return fd_.valid();
}

void HelperLog::record(std::string_view event, const nlohmann::ordered_json& fields)
{
    nlohmann::ordered_json line;
    line["time"] = timestamp(clock_.wallTime());
    line["event"] = std::string(event);
    if (fields.is_object())
        for (const auto& [key, value] : fields.items())
            line[key] = value;
    // Texts from clients are valid UTF-8 (the codec checks); anything else is replaced, never thrown.
    const std::string text = line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";

    std::lock_guard lock(mutex_);
    if (!fd_ || text.size() > maximumBytes_)
        return;
    if (size_ + text.size() > maximumBytes_) {
        rotate();
        if (!fd_)
            return;
    }
    if (Foundation::writeAll(fd_.get(), text)) {
        size_ += text.size();
        return;
    }
    // Part of the line may have gone out: the file says how much.
    struct stat info {};
    if (::fstat(fd_.get(), &info) == 0)
        size_ = static_cast<std::uintmax_t>(info.st_size);
}

std::string HelperLog::timestamp(double wallSeconds)
{
    const long long milliseconds = std::isfinite(wallSeconds) ? std::llround(wallSeconds * 1000) : 0;
    long long seconds = milliseconds / 1000;
    long long fraction = milliseconds % 1000;
    if (fraction < 0) {
        fraction += 1000;
        seconds -= 1;
    }
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts {};
    ::gmtime_r(&time, &parts);
    std::string text;
    appendPadded(text, parts.tm_year + 1900LL, 4);
    text.push_back('-');
    appendPadded(text, parts.tm_mon + 1, 2);
    text.push_back('-');
    appendPadded(text, parts.tm_mday, 2);
    text.push_back('T');
    appendPadded(text, parts.tm_hour, 2);
    text.push_back(':');
    appendPadded(text, parts.tm_min, 2);
    text.push_back(':');
    appendPadded(text, parts.tm_sec, 2);
    text.push_back('.');
    appendPadded(text, fraction, 3);
    text.push_back('Z');
    return text;
}

} // namespace Aerlo
