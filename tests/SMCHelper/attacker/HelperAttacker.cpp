// The write-then-exec impersonation, for the daemon's security tests:
//   HelperAttacker <socket> <request JSON> <program> [arguments…]
// connects to the daemon's socket as this program, writes one frame at once (without waiting to be
// admitted), then replaces itself with <program>, which inherits the connection as descriptor 3.
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 64;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return 2;
    const std::string payload = argv[2];
    const auto n = static_cast<std::uint32_t>(payload.size());
    const std::string frame = std::string {static_cast<char>(n >> 24), static_cast<char>((n >> 16) & 0xFF),
                                           static_cast<char>((n >> 8) & 0xFF), static_cast<char>(n & 0xFF)}
                              + payload;
    (void)!::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
    if (fd != 3 && (::dup2(fd, 3) != 3 || ::close(fd) != 0))
        return 3;
    ::execv(argv[3], argv + 3);
    return 127;
}
