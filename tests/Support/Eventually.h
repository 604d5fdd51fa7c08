#pragma once

#include <chrono>
#include <thread>

// Waits (a bounded guard, short steps) until `condition` holds; false when it never did.
template <typename Condition>
bool eventually(Condition condition, double seconds = 5)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
