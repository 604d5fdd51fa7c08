// libFuzzer entry for smcsim's socket protocol: any byte stream a client may write, sent to a
// server in this process on a real socket, after a privileged hello when the first byte is even.
// The server never crashes and keeps serving the next client.
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Tools/smcsim/SimulatedMachine.h"
#include "Tools/smcsim/SmcsimServer.h"
#include "tests/Support/TempRoot.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using IOKit::SocketSmcProtocol;

struct World {
    TempRoot root;
    std::filesystem::path socket = root.path() / "smcsim.sock";
    std::unique_ptr<Aerlo::SmcsimServer> server;
    std::thread serving;

    World() { start(); }
    ~World() { stop(); }

    void start()
    {
        stop();
        const auto profile = SMCSim::MachineProfile::load("mbp-m1pro-2fan");
        if (!profile)
            std::abort();
        auto machine = std::make_shared<Aerlo::SimulatedMachine>(*profile, true);
        server = std::make_unique<Aerlo::SmcsimServer>(std::move(machine),
                                                       Aerlo::SmcsimServer::Options {socket, ::getuid()});
        if (!server->start())
            std::abort();
        serving = std::thread([this] { server->run(); });
    }

    void stop()
    {
        if (!server)
            return;
        server->stop();
        serving.join();
        server.reset();
    }

    // The frame of a hello asking for privilege with the server's token.
    std::string hello() const
    {
        std::string payload;
        SocketSmcProtocol::putU32(payload, SocketSmcProtocol::magic);
        SocketSmcProtocol::putU32(payload, SocketSmcProtocol::version);
        payload += std::string("\x01\0\0\0", 4);
        payload += SocketSmcProtocol::readToken(SocketSmcProtocol::tokenPath(socket)).value_or(std::string(64, '0'));
        std::string frame {static_cast<char>(SocketSmcProtocol::Op::hello), 0, 0, 0};
        SocketSmcProtocol::putU32(frame, static_cast<std::uint32_t>(payload.size()));
        return frame + payload;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    World& w = fuzzWorld<World>();
    int fd = SocketSmcProtocol::connectTo(w.socket, 2);
    if (fd < 0) {
        // A control "stop" ended the server: a new one serves the next inputs.
        w.start();
        fd = SocketSmcProtocol::connectTo(w.socket, 2);
        if (fd < 0)
            std::abort();
    }
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] % 2 == 0)
        bytes = w.hello() + bytes.substr(1);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    for (;;) {
        pollfd entry {fd, POLLIN, 0};
        if (::poll(&entry, 1, 2000) != 1 || ::recv(fd, buffer, sizeof buffer, 0) <= 0)
            break;
    }
    ::close(fd);
    return 0;
}
