#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace Aerlo {

// SIGTERM, SIGINT and SIGHUP taken into the orderly quit: the handler only writes the signal's number to
// a pipe; the main thread's event loop reads it and calls `onSignal` with it. One at a time.
class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void(int)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void readSignals();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace Aerlo
