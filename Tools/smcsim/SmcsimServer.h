#pragma once

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"
#include "Tools/smcsim/SimulatedMachine.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>

namespace Aerlo {

// Serves one SimulatedMachine on a Unix stream socket (IOKit::SocketSmcProtocol).
//
// One thread accepts (poll on the socket and a wake pipe); each client gets a thread of its own
// that answers its requests in order with blocking I/O. The device is thread-safe, so exchanges of
// different clients interleave whole. A connection is privileged (writes, control) when it asks
// for it and its peer is `privilegedUid` (SO_PEERCRED) or it presents the token that start() writes,
// mode 0600, next to the socket. A client's user-client connections close when it goes.
class SmcsimServer {
public:
    struct Options {
        std::filesystem::path socketPath;
        uid_t privilegedUid = 0;
    };

    SmcsimServer(std::shared_ptr<SimulatedMachine> machine, Options options);
    ~SmcsimServer();
    SmcsimServer(const SmcsimServer&) = delete;
    SmcsimServer& operator=(const SmcsimServer&) = delete;

    // Writes the token and listens; false after one line on standard error.
    [[nodiscard]] bool start();
    // Serves until stop(), a control "stop" or a byte on stopFd(); then closes every client and
    // removes the socket and the token.
    void run();
    // Thread-safe.
    void stop();
    // Writing one byte here stops the server (async-signal-safe).
    int stopFd() const { return wake_[1].get(); }

    const std::filesystem::path& socketPath() const { return options_.socketPath; }
    std::filesystem::path tokenPath() const;
    std::size_t clientCount() const;

private:
    struct Client {
        Foundation::FileDescriptor fd;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    struct Session;

    // A client's thread: the greeting, then one answer per request until either side ends.
    void serve(Client& client);
    [[nodiscard]] bool greet(Session& session, IOKit::SocketSmcReader& reader);
    // Each operation fills the session's reply; false ends the conversation (a malformed request).
    [[nodiscard]] bool answer(Session& session, const IOKit::SocketSmcProtocol::Frame& frame);
    [[nodiscard]] bool openConnection(Session& session, std::string_view payload);
    [[nodiscard]] bool callDevice(Session& session, std::string_view payload);
    [[nodiscard]] bool closeConnection(Session& session, std::string_view payload);
    [[nodiscard]] bool control(Session& session, std::string_view payload);
    [[nodiscard]] bool writeToken();
    void reapLocked(bool all);

    std::shared_ptr<SimulatedMachine> machine_;
    Options options_;
    std::string token_;
    Foundation::FileDescriptor listenFd_;
    Foundation::FileDescriptor wake_[2];
    mutable std::mutex mutex_;
    std::list<Client> clients_;
};

} // namespace Aerlo
