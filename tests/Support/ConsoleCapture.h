#pragma once

#include "Platform/Foundation/Console.h"

#include <mutex>
#include <string>
#include <vector>

// Captures everything printed through Foundation::Console while it lives.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string output() const; // standard output
    std::string errors() const; // standard error
    // Standard output split at line feeds (a final unterminated piece counts as a line).
    std::vector<std::string> lines() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::string out_;
    std::string err_;
    Foundation::Console::Sink previous_;
};
