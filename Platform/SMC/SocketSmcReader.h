#pragma once

#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/SocketSmcProtocol.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace IOKit {

// Whole SocketSmcProtocol frames from one connected stream socket. Reads ahead into a buffer of its
// own, so that one recv() usually brings a whole frame; bytes past a frame wait for the next call.
// One reader per connection: reset() when the socket changes.
//
// With `activeWait`, a read that finds nothing polls the socket for up to that long before it blocks
// (only when the process may run on more than one CPU). A peer answering within microseconds then
// costs no sleep and wake-up on either side, which on an idle or virtual machine is where most of an
// exchange's time would go. A poll that runs out stops the polling until a read waits less than
// `activeWait` again, so a slow peer costs no busy CPU.
class AERLO_SMC_EXPORT SocketSmcReader {
public:
    explicit SocketSmcReader(int fd = -1, std::chrono::microseconds activeWait = {});

    // Reads from `fd` from now on; what was buffered from the old socket is dropped.
    void reset(int fd);
    // The next frame. A reply slower than the socket's receive timeout is timedOut; a bad header is
    // malformed (the connection should end, nothing more is read).
    SocketSmcProtocol::Status receive(SocketSmcProtocol::Frame& frame);
    // Whether the next read that finds nothing polls first.
    bool polls() const { return activeWait_.count() > 0 && spins_; }

private:
    // Until at least `count` bytes are buffered.
    SocketSmcProtocol::Status fill(std::size_t count);

    // One recv() of what is there, waiting actively first when allowed.
    long receiveSome();

    int fd_;
    std::chrono::microseconds activeWait_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0; // one past the last received byte
    bool spins_ = true;
};

} // namespace IOKit
