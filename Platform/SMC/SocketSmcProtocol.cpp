#include "Platform/SMC/SocketSmcProtocol.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

namespace IOKit {

namespace {

bool isHexToken(std::string_view text)
{
    return text.size() == SocketSmcProtocol::tokenSize &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace

bool SocketSmcProtocol::send(int fd, Op op, std::string_view payload)
{
    if (payload.size() > maxPayload)
        return false;
    char header[headerSize] = {static_cast<char>(op)};
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (std::size_t i = 0; i < 4; ++i)
        header[4 + i] = static_cast<char>(length >> (8 * i));
    iovec parts[2] = {{header, headerSize}, {const_cast<char*>(payload.data()), payload.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload.empty() ? 1 : 2;
    std::size_t left = headerSize + payload.size();
    while (left > 0) {
        ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        left -= static_cast<std::size_t>(n);
        for (; n > 0 && message.msg_iovlen > 0;) { // a partial send: skip what went out
            iovec& first = message.msg_iov[0];
            const std::size_t taken = std::min(first.iov_len, static_cast<std::size_t>(n));
            first.iov_base = static_cast<char*>(first.iov_base) + taken;
            first.iov_len -= taken;
            n -= static_cast<ssize_t>(taken);
            if (first.iov_len == 0) {
                ++message.msg_iov;
                --message.msg_iovlen;
            }
        }
    }
    return true;
}

std::optional<std::pair<SocketSmcProtocol::Op, std::uint32_t>> SocketSmcProtocol::parseHeader(std::string_view header)
{
    const auto length = u32At(header, 4);
    if (header.size() != headerSize || !length)
        return std::nullopt;
    const auto op = static_cast<std::uint8_t>(header[0]);
    if (op < static_cast<std::uint8_t>(Op::hello) || op > static_cast<std::uint8_t>(Op::control) || header[1] != 0 ||
        header[2] != 0 || header[3] != 0 || *length > maxPayload)
        return std::nullopt;
    return std::pair{static_cast<Op>(op), *length};
}

void SocketSmcProtocol::putU32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
}

std::optional<std::uint32_t> SocketSmcProtocol::u32At(std::string_view bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size())
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return value;
}

int SocketSmcProtocol::connectTo(const std::filesystem::path& path, int timeoutSeconds)
{
    const auto address = Foundation::unixAddress(path);
    if (!address)
        return -1;
    Foundation::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return -1;
    int result;
    do
        result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    while (result < 0 && errno == EINTR);
    if (result < 0)
        return -1;
    timeval timeout{timeoutSeconds, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    return fd.release();
}

Foundation::Result<int> SocketSmcProtocol::listenOn(const std::filesystem::path& path)
{
    const auto address = Foundation::unixAddress(path);
    if (!address)
        return Foundation::Error("socket path too long: " + path.string());
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
        if (const Foundation::FileDescriptor live(connectTo(path, 1)); live)
            return Foundation::Error("another simulator is serving on " + path.string());
        std::filesystem::remove(path, ignored); // left behind by a simulator that died
    }
    Foundation::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return Foundation::Error(std::string("socket: ") + Foundation::errnoText(errno));
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) < 0 || ::listen(fd.get(), 64) < 0) {
        const int error = errno;
        return Foundation::Error("cannot listen on " + path.string() + ": " + Foundation::errnoText(error));
    }
    ::chmod(path.c_str(), 0666);
    return fd.release();
}

std::optional<uid_t> SocketSmcProtocol::peerUid(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) < 0)
        return std::nullopt;
    return credentials.uid;
}

std::filesystem::path SocketSmcProtocol::tokenPath(const std::filesystem::path& socketPath)
{
    std::filesystem::path token = socketPath;
    token.replace_extension(".token");
    return token;
}

std::optional<std::string> SocketSmcProtocol::readToken(const std::filesystem::path& tokenFile)
{
    std::ifstream file(tokenFile);
    if (!file)
        return std::nullopt;
    std::string token;
    std::getline(file, token);
    if (!isHexToken(token))
        return std::nullopt;
    return token;
}

std::string SocketSmcProtocol::makeToken()
{
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device source;
    std::string token;
    while (token.size() < tokenSize) {
        const unsigned int bits = source();
        for (int i = 0; i < 8 && token.size() < tokenSize; ++i)
            token.push_back(digits[(bits >> (4 * i)) & 0xF]);
    }
    return token;
}

std::filesystem::path SocketSmcProtocol::defaultSocketPath()
{
    return Foundation::Paths::root() / "var" / "run" / "smcsim.sock";
}

} // namespace IOKit
