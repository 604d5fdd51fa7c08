#pragma once

#include "Platform/System/URLOpener.h"

#include <mutex>
#include <string>
#include <vector>

namespace SystemPlatform {

// Records the addresses it is asked to open and answers as set (tests).
class RecordingURLOpener final : public URLOpener {
public:
    explicit RecordingURLOpener(bool answer = true) : answer_(answer) {}

    [[nodiscard]] bool open(const Foundation::URL& url) override;

    // Every address asked for, in order, as text.
    std::vector<std::string> openedURLs() const;
    void setAnswer(bool answer);

private:
    mutable std::mutex mutex_;
    std::vector<std::string> opened_;
    bool answer_;
};

} // namespace SystemPlatform
