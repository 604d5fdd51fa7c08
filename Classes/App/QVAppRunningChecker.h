#pragma once

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/TestAccess.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Aerlo {

// One running copy of the application per root: a Unix socket under the root, named after the bundle
// identifier (the workspace's registry of running applications). A new copy tells the running one "quit" and waits (at most 3 s) until that copy is gone
// (its end of the connection closes with the process), then listens itself.
class QVAppRunningChecker {
public:
    static constexpr double waitSeconds = 3.0;

    static QVAppRunningChecker& shared();

    QVAppRunningChecker();
    ~QVAppRunningChecker();
    QVAppRunningChecker(const QVAppRunningChecker&) = delete;
    QVAppRunningChecker& operator=(const QVAppRunningChecker&) = delete;

    // Asks an older copy to quit, waits for it, then listens for a newer one.
    void postTellOldSameAppToQuit();
    // What a newer copy's "quit" does, on the listening thread (default: the orderly quit, queued on the
    // main queue). The asking copy waits until this process ends or stopListening runs.
    void setQuitHandler(std::function<void()> handler);
    void stopListening();
    bool isListening() const;

    static std::filesystem::path socketPath();

private:
    // Asks a running copy to quit and waits for it to go; a copy that does not go in time is printed.
    void tellOldCopyToQuit();
    void listen();
    void serve(int listener, int stopper);

    mutable std::mutex mutex_;
    std::function<void()> quitHandler_;
    std::thread thread_;
    Foundation::FileDescriptor listener_;
    Foundation::FileDescriptor stopPipe_[2];
    std::vector<Foundation::FileDescriptor> held_;

    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Aerlo
